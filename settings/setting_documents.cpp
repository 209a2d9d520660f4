#include "settings/setting_documents.h"

#include "core/document_text.h"

namespace {

constexpr SettingGroup kShownGroups[] = {SettingGroup::kClipboardAndLock, SettingGroup::kAutoType,
                                         SettingGroup::kSecretService, SettingGroup::kSafeFolder,
                                         SettingGroup::kBreachList};

std::string DefaultShown(const SettingSpec& spec) {
  if (spec.kind == SettingKind::kFlag) return spec.defaultNumber != 0 ? "on" : "off";
  if (spec.defaultShown != nullptr) return spec.defaultShown;
  return std::to_string(spec.defaultNumber);
}

}  // namespace

std::string SettingDefaultAndRange(const SettingSpec& spec) {
  std::string text = DefaultShown(spec);
  if (spec.kind == SettingKind::kNumber && spec.minimum < spec.maximum) {
    text += " (" + std::to_string(spec.minimum) + " to " + std::to_string(spec.maximum) + ")";
  }
  return text;
}

std::string SettingsHelpTable() {
  std::string html = "<table>\n<tr><th>Setting</th><th>What it does</th><th>Default</th></tr>\n";
  for (const SettingGroup group : kShownGroups) {
    html += "<tr><th colspan=\"3\">" + HtmlText(SettingGroupTitle(group)) + "</th></tr>\n";
    for (const SettingSpec& spec : SettingCatalogue()) {
      if (spec.group != group) continue;
      html += "<tr><td><code>" + HtmlText(spec.name) + "</code></td><td>" + HtmlText(spec.label) + "</td><td>" +
              HtmlText(SettingDefaultAndRange(spec)) + "</td></tr>\n";
    }
  }
  return html + "</table>\n";
}

std::string SettingsManualSection() {
  std::string text =
      ".SH SETTINGS\nFile > Settings... changes these, and so does an edit of the settings file, which a running "
      "Quillbox picks up at once.\n";
  for (const SettingGroup group : kShownGroups) {
    text += ".SS " + TroffText(SettingGroupTitle(group)) + "\n";
    for (const SettingSpec& spec : SettingCatalogue()) {
      if (spec.group != group) continue;
      text += ".TP\n.B " + TroffText(spec.name) + "\n" + TroffText(spec.label) +
              " Default: " + TroffText(SettingDefaultAndRange(spec)) + ".\n";
    }
  }
  return text;
}
