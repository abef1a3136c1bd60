#include "StandinPayload.h"

#include <cstdint>
#include <string_view>

namespace setup {

namespace {

struct Shape {
  const char* name;
  std::size_t size;
};

// Names and sizes of the shipped catalogue, in its order.
constexpr Shape kShapes[] = {
    {"BootStrap_M3_quillmar-m3powerloader-20060117.bin", 512},
    {"BootStrap_SuperCard.bin", 512},
    {"readme.txt", 215},
    {"SkylarchMakeIcon.exe", 169472},
    {"_BOOT_MP.nds", 323136},
    {"Skylarch\\font12.glf", 393244},
    {"Skylarch\\font12.glu", 131280},
    {"Skylarch\\global.ini", 782},
    {"Skylarch\\savename.txt", 34307},
    {"Skylarch\\se\\complite.wav", 61820},
    {"Skylarch\\se\\cursor.wav", 24038},
    {"Skylarch\\se\\error.wav", 105072},
    {"Skylarch\\se\\execute.wav", 8252},
    {"Skylarch\\se\\process.wav", 81912},
    {"Skylarch\\se\\winclose.wav", 77684},
    {"Skylarch\\se\\winopen.wav", 170872},
    {"Skylarch\\skin\\icon_back.bmp", 1648},
    {"Skylarch\\skin\\icon_dscard.bmp", 612},
    {"Skylarch\\skin\\icon_folder.bmp", 1664},
    {"Skylarch\\skin\\icon_gbacart.bmp", 620},
    {"Skylarch\\skin\\icon_unknown.bmp", 1228},
    {"Skylarch\\skin\\icon_vectorl.bmp", 612},
    {"Skylarch\\skin\\icon_vectorr.bmp", 612},
    {"Skylarch\\skin\\icon_warning.bmp", 2104},
    {"Skylarch\\skin\\prgnega.bmp", 2268},
    {"Skylarch\\skin\\prgposi.bmp", 2260},
    {"Skylarch\\skin\\subbg.bmp", 49276},
    {"Skylarch\\skin\\warning.bmp", 49272},
    {"Skylarch\\skin\\winbody.bmp", 24640},
    {"Skylarch\\skin\\winfrmd.bmp", 1104},
    {"Skylarch\\skin\\winfrmdl.bmp", 112},
    {"Skylarch\\skin\\winfrmdr.bmp", 112},
    {"Skylarch\\skin\\winfrml.bmp", 844},
    {"Skylarch\\skin\\winfrmr.bmp", 848},
    {"Skylarch\\skin\\winfrmu.bmp", 1104},
    {"Skylarch\\skin\\winfrmul.bmp", 112},
    {"Skylarch\\skin\\winfrmur.bmp", 116},
    {"Skylarch\\skin\\winttlc.bmp", 2120},
    {"Skylarch\\skin\\winttll.bmp", 280},
    {"Skylarch\\skin\\winttlr.bmp", 144},
};

constexpr std::size_t kMarkerOffset = 0x3A628;

// xorshift32, seeded from the name (FNV-1a) so each file's bytes are its own and stable.
class Filler {
 public:
  explicit Filler(std::string_view seed) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : seed) h = (h ^ c) * 16777619u;
    state_ = h ? h : 1;
  }
  std::uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    const auto b = static_cast<std::uint8_t>(state_ >> 24);
    // Without 'A' no run of filler can spell the adapter marker the ROM builder looks for.
    return b == 'A' ? static_cast<std::uint8_t>('a') : b;
  }
  void Fill(Bytes& out, std::size_t from) {
    for (std::size_t i = from; i < out.size(); ++i) out[i] = Next();
  }

 private:
  std::uint32_t state_;
};

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

void PutText(Bytes& b, std::size_t at, std::string_view text) {
  for (std::size_t i = 0; i < text.size() && at + i < b.size(); ++i) {
    b[at + i] = static_cast<std::uint8_t>(text[i]);
  }
}

// Text padded with filler lines to exactly size bytes (cut when it is longer).
Bytes TextFile(std::string text, std::size_t size, char padChar) {
  std::size_t left = size > text.size() ? size - text.size() : 0;
  while (left >= 3) {
    std::size_t line = left <= 80 ? left : (left - 80 < 3 ? 60 : 80);
    text += std::string(1, padChar) + std::string(line - 3, '-') + "\r\n";
    left -= line;
  }
  text.append(left, ' ');
  text.resize(size);
  return Bytes(text.begin(), text.end());
}

Bytes Bitmap(const Shape& s, Filler& filler) {
  Bytes b(s.size);
  filler.Fill(b, 0);
  const std::size_t header = 54;
  const std::size_t pixels = s.size - header;
  // 16-bit pixels in rows padded to four bytes, roughly square.
  std::uint32_t width = 1;
  while ((width + 1) * (width + 1) * 2 <= pixels) ++width;
  const std::uint32_t stride = (width * 2 + 3) / 4 * 4;
  const auto height = static_cast<std::uint32_t>(pixels / stride);
  PutText(b, 0, "BM");
  Put32(b, 2, static_cast<std::uint32_t>(s.size));
  Put32(b, 6, 0);
  Put32(b, 10, header);
  Put32(b, 14, 40);
  Put32(b, 18, width);
  Put32(b, 22, height);
  Put16(b, 26, 1);
  Put16(b, 28, 16);
  Put32(b, 30, 0);
  Put32(b, 34, stride * height);
  Put32(b, 38, 2835);
  Put32(b, 42, 2835);
  Put32(b, 46, 0);
  Put32(b, 50, 0);
  return b;
}

Bytes Wave(const Shape& s, Filler& filler) {
  Bytes b(s.size);
  filler.Fill(b, 0);
  const std::uint32_t rate = 16384;
  PutText(b, 0, "RIFF");
  Put32(b, 4, static_cast<std::uint32_t>(s.size - 8));
  PutText(b, 8, "WAVEfmt ");
  Put32(b, 16, 16);
  Put16(b, 20, 1);  // PCM
  Put16(b, 22, 1);  // mono
  Put32(b, 24, rate);
  Put32(b, 28, rate * 2);
  Put16(b, 32, 2);
  Put16(b, 34, 16);
  PutText(b, 36, "data");
  Put32(b, 40, static_cast<std::uint32_t>(s.size - 44));
  return b;
}

Bytes ProgramImage(const Shape& s, Filler& filler) {
  Bytes b(s.size);
  filler.Fill(b, 0);
  // A cartridge header start: title, game code, maker code.
  for (std::size_t i = 0; i < 12; ++i) b[i] = 0;
  PutText(b, 0, "SKYLARCH");
  PutText(b, 12, "####");
  PutText(b, 16, "00");
  PutText(b, kMarkerOffset, "Adapter:MPCF");
  return b;
}

Bytes Executable(const Shape& s, Filler& filler) {
  Bytes b(s.size);
  filler.Fill(b, 0);
  PutText(b, 0, "MZ");
  return b;
}

Bytes GlobalIni(const Shape& s) {
  const std::string text =
      "; Skylarch global settings (stand-in)\r\n"
      "[System]\r\n"
      "SleepOnClose=0\r\n"
      "ClockFormat=24\r\n"
      "Language=0\r\n"
      "\r\n"
      "[Skin]\r\n"
      "Folder=skin\r\n"
      "\r\n"
      "[SoundEffect]\r\n"
      "Enabled=1\r\n"
      "Volume=64\r\n"
      "\r\n"
      "[Font]\r\n"
      "Unicode=font12.glu\r\n"
      "Glyph=font12.glf\r\n"
      "\r\n"
      "[Banner]\r\n"
      "Folder=banner\r\n"
      "\r\n";
  return TextFile(text, s.size, ';');
}

Bytes Readme() {
  const std::string text =
      "Skylarch stand-in payload\r\n"
      "\r\n"
      "These files are generated test data with the names and sizes of the\r\n"
      "real ones. Setup installs them onto the memory card.\r\n"
      "\r\n";
  return TextFile(text, 215, '#');
}

Bytes SaveNames(const Shape& s, Filler& filler) {
  static const char* const kWords[] = {"Quest",  "Puzzle", "Racer", "Garden", "Tactics",
                                       "Island", "Music",  "Chess", "Pilot",  "Star"};
  std::string text = "; game code = save file name\r\n";
  for (unsigned n = 0; text.size() + 40 < s.size; ++n) {
    std::string code;
    for (int k = 0; k < 4; ++k) code += static_cast<char>('B' + filler.Next() % 25);
    text += code + "=" + kWords[filler.Next() % 10] + " " + kWords[filler.Next() % 10] + " " +
            std::to_string(n) + "\r\n";
  }
  return TextFile(text, s.size, ';');
}

Bytes Make(const Shape& s) {
  const std::string_view name = s.name;
  Filler filler(name);
  const auto endsWith = [&](std::string_view tail) {
    return name.size() >= tail.size() && name.substr(name.size() - tail.size()) == tail;
  };
  if (name == "_BOOT_MP.nds") return ProgramImage(s, filler);
  if (name == "SkylarchMakeIcon.exe") return Executable(s, filler);
  if (name == "readme.txt") return Readme();
  if (endsWith("global.ini")) return GlobalIni(s);
  if (endsWith("savename.txt")) return SaveNames(s, filler);
  if (endsWith(".bmp")) return Bitmap(s, filler);
  if (endsWith(".wav")) return Wave(s, filler);
  Bytes b(s.size);
  filler.Fill(b, 0);
  return b;
}

}  // namespace

std::vector<PayloadFile> StandinPayload() {
  std::vector<PayloadFile> files;
  files.reserve(std::size(kShapes));
  for (const Shape& s : kShapes) files.push_back({s.name, Make(s)});
  return files;
}

}  // namespace setup
