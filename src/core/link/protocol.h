// Frames, reply templates, pauses and retry counts of the device protocol,
// in one place. Frames are byte strings: a std::string whose chars are the
// bytes 0..255 sent in order.
#pragma once

#include <cstdint>
#include <string>

namespace korventa::protocol {

inline constexpr char kCR = 13;
inline constexpr char kLF = 10;

// Every caller waits one second for a reply.
inline constexpr double kReplyTimeout = 1.0;
// Pauses after the frames that get no reply.
inline constexpr double kPauseAfterWrite = 0.05;       // after each "$W" byte
inline constexpr double kPauseAfterProgram = 0.1;      // after "PR" and "$FPxx"
inline constexpr double kPauseAfterMeasure = 0.2;      // after "SM", "MI", "$I", "$i"
inline constexpr double kPauseMeasureRetry = 0.5;      // between "SM" and "MI" on a retry
inline constexpr double kPauseBeforeStoredWords = 0.2;  // "$S": before reading the stored words
inline constexpr double kPauseAfterStoredWords = 0.1;
// Measurement must stop before reading or writing talks to the device.
inline constexpr double kPauseStopMeasuring = 0.2;

// Automatic tries before the user is asked.
inline constexpr int kEnterProgramSends = 3;
inline constexpr int kReadBytesTries = 3;
inline constexpr int kReadSamplesTries = 2;
inline constexpr int kReadDipTries = 3;
inline constexpr int kReadProductTries = 1;

// Terminator modes of a reply template.
inline constexpr int kModeCrLf = 0;  // ends with CR LF, both counted in the length
inline constexpr int kModeCr = -1;   // ends with CR alone

// Largest block ReadBytes returns, and the address space of a bank.
inline constexpr int kReadBytesResultSize = 257;
inline constexpr int kBankSize = 256;

// The frames.
inline std::string Frame3(char a, char b) { return {a, b, kCR}; }
inline std::string Frame6(char a, char b, std::uint8_t x, std::uint8_t y, std::uint8_t z) {
  return {a, b, static_cast<char>(x), static_cast<char>(y), static_cast<char>(z), kCR};
}
inline std::string FrameStopMeasure() { return Frame3('S', 'M'); }
inline std::string FrameStartMeasure() { return Frame3('M', 'I'); }
inline std::string FrameEnterProgram() { return Frame3('P', 'R'); }
inline std::string FrameExitProgram() { return {'$', 'F', 'P', 'x', 'x', kCR}; }
inline std::string FrameRead(std::uint8_t bank, std::uint8_t address) { return Frame6('$', 'R', bank, address, 0); }
inline std::string FrameWrite(std::uint8_t bank, std::uint8_t address, std::uint8_t data) {
  return Frame6('$', 'W', bank, address, data);
}
inline std::string FrameSamples(std::uint8_t channel) { return Frame6('$', 'S', channel, channel, 0); }
inline std::string FrameDip() { return Frame6('$', 'D', 0, 0, 0); }
inline std::string FrameProduct() { return Frame6('$', 'V', 0, 0, 0); }
inline std::string FrameValueA(std::uint8_t hi, std::uint8_t lo) { return Frame6('$', 'I', hi, lo, 0); }
inline std::string FrameValueB(std::uint8_t hi, std::uint8_t lo) { return Frame6('$', 'i', hi, lo, 0); }
// The only acknowledgement of "PR".
inline const std::string kProgramAck = {'O', 'K', kCR, kLF};

// A reply template: the lead character followed by placeholders, as long as
// the whole reply including its terminator.
inline std::string Template(char lead, int length) {
  return lead + std::string(static_cast<std::size_t>(length > 1 ? length - 1 : 0), '#');
}
inline const std::string kTemplateRead = "*#####";      // "$R"
inline const std::string kTemplateProduct = "*######";  // "$V"
inline const std::string kTemplateDipLong = "*######";  // "$D", 4 bytes
inline const std::string kTemplateDipShort = "*####";   // "$D", 2 bytes
// "$S": lead, 2n data bytes, channel echo, CR LF.
inline std::string TemplateSamples(int n) { return Template('*', 2 * n + 4); }

}  // namespace korventa::protocol
