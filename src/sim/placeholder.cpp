// Placeholder until the virtual converter lands.
namespace korventa::sim {}
