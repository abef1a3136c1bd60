#include "language/SplitML.h"

#include <utility>

#include "platform/ProfileInt.h"

namespace setup {

namespace {
const char kSection[] = "system";
const char kKey[] = "isJP";
const char kNotSet[] = "FatalError: MLType no set.";
}  // namespace

SplitML::SplitML(Profile& profile, Ui& ui, std::string settingsFile)
    : profile_(profile), ui_(ui), settingsFile_(std::move(settingsFile)) {}

// No lower bound: a negative index stays "set" so that GetMLStr reports it.
void SplitML::Normalise() {
  if (MLType >= 2) {
    MLType = 0;
    MLTypeSet = false;
  } else {
    MLTypeSet = true;
  }
}

void SplitML::LoadMLType() {
  if (MLTypeSet) return;
  MLType = ReadProfileInt(profile_, settingsFile_, kSection, kKey, MLType);
  Normalise();
}

void SplitML::SaveMLType() {
  if (!MLTypeSet) return;
  profile_.WriteString(settingsFile_, kSection, kKey, std::to_string(MLType));
  profile_.Flush(settingsFile_);
}

void SplitML::StoreMLType() {
  if (MLTypeSet) {
    SaveMLType();
  } else {
    FatalReport(ui_, kNotSet);
  }
}

void SplitML::SetMLType(std::int32_t index) {
  MLType = index;
  Normalise();
}

bool SplitML::IsMLTypeSet() {
  if (!MLTypeSet) LoadMLType();
  return MLTypeSet;
}

// "|" is ASCII, so a byte search in UTF-8 never stops inside a Japanese character.
std::string SplitML::GetMLStr(const std::string& text) {
  LoadMLType();
  if (!MLTypeSet) {
    FatalReport(ui_, kNotSet);
    return {};
  }
  const auto p = text.find('|');
  if (p == std::string::npos) {
    FatalReport(ui_, "FatalError: GetMLStr(" + text + "); is not sepchar.");
    return {};
  }
  if (MLType == 0) return text.substr(0, p);
  if (MLType == 1) return text.substr(p + 1);
  FatalReport(ui_, "FatalError: MLType=" + std::to_string(MLType) + " is not defined.");
  return {};
}

void SplitML::SetMLCaption(CaptionControl& control) {
  control.SetCaption(GetMLStr(control.GetCaption()));
}

}  // namespace setup
