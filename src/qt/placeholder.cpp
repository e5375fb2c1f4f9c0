// Placeholder until the serial transport lands.
namespace korventa::qt {}
