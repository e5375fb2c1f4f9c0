namespace korventa::cli {}
