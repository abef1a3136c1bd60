// Caption cutting ("English|日本語") in each language state, and FirstWord of the drive lines.
// The first byte picks the state; with state 2 the text up to the first line feed is the
// settings file's value, the rest is the caption.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Check.h"
#include "FakePlatform.h"
#include "language/SplitML.h"
#include "target/DriveInfo.h"

namespace {

using namespace setup;

const char kSettings[] = "C:\\Tools\\Setup.ini";

class Control : public CaptionControl {
 public:
  std::string caption;
  std::string GetCaption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
};

bool ValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      n = 1;
      cp = c;
    } else if (c >= 0xC2 && c < 0xE0) {
      n = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c < 0xF0) {
      n = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c < 0xF5) {
      n = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) || (n == 4 && cp < 0x10000) ||
        cp > 0x10FFFF) {
      return false;
    }
    i += n;
  }
  return true;
}

void CheckFirstWord(const std::string& text) {
  const std::string word = FirstWord(text);
  FUZZ_CHECK(text.starts_with(word));
  FUZZ_CHECK(word.find(' ') == std::string::npos);
  FUZZ_CHECK(word.size() == text.size() || text[word.size()] == ' ');
  if (ValidUtf8(text)) FUZZ_CHECK(ValidUtf8(word));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int state = data[0] % 4;
  std::string caption(reinterpret_cast<const char*>(data) + 1, size - 1);

  fake::FakeProfile profile;
  fake::FakeUi ui;
  SplitML ml(profile, ui, kSettings);
  if (state == 0 || state == 1) {
    ml.SetMLType(state);
  } else if (state == 2) {
    const auto feed = caption.find('\n');
    profile.WriteString(kSettings, "system", "isJP", caption.substr(0, feed));
    caption = feed == std::string::npos ? std::string() : caption.substr(feed + 1);
  } else {
    ml.SetMLType(-1 - static_cast<int>(caption.size() % 3));
  }

  FUZZ_CHECK(!ml.IsMLTypeSet() || ml.MLType < 2);
  Control control;
  control.caption = caption;
  ml.SetMLCaption(control);
  const std::string& cut = control.caption;
  // An unset state reads the file again, with the normalised 0 as default: judged after the cut.
  const bool set = ml.MLTypeSet;
  const std::int32_t language = ml.MLType;

  const auto bar = caption.find('|');
  if (set && (language == 0 || language == 1) && bar != std::string::npos) {
    // The two halves around the first "|" put back together give the caption.
    FUZZ_CHECK(ui.messages.empty() && ui.endRequests == 0);
    const std::string english = caption.substr(0, bar);
    FUZZ_CHECK(cut == (language == 0 ? english : caption.substr(bar + 1)));
    FUZZ_CHECK(english.find('|') == std::string::npos);
    if (ValidUtf8(caption)) FUZZ_CHECK(ValidUtf8(cut));
  } else {
    // Anything else is one fatal report and an empty caption.
    FUZZ_CHECK(ui.messages.size() == 1 && ui.endRequests == 1 && cut.empty());
    FUZZ_CHECK(ui.messages[0].starts_with("FatalError: "));
  }
  // Cutting never writes the settings file.
  FUZZ_CHECK(profile.journal.size() == (state == 2 ? 1u : 0u));

  CheckFirstWord(caption);
  CheckFirstWord(cut);
  return 0;
}
