#include "app/field_reference_note.h"

#include <vector>

#include "safe/field_reference.h"

namespace {

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += i + 1 == names.size() ? " and " : ", ";
    joined += names[i];
  }
  return joined;
}

}  // namespace

std::string FieldReferenceNote(const Entry& entry, std::span<const Entry> entries) {
  const std::pair<const char*, const SecretText*> designed[] = {{"description", &entry.title},
                                                                {"user name", &entry.userName},
                                                                {"password", &entry.password},
                                                                {"web address", &entry.url},
                                                                {"notes", &entry.notes}};
  FieldReferences references(entries);
  std::vector<std::string> names;
  const Entry* target = nullptr;
  bool one_target = true, any_target = false;
  auto consider = [&](std::string name, std::string_view value) {
    if (!HasFieldReference(value)) return;
    names.push_back(std::move(name));
    const Entry* found = references.FirstTarget(value);
    if (found == nullptr) return;
    one_target = one_target && (target == nullptr || target == found);
    target = found;
    any_target = true;
  };
  for (const auto& [name, value] : designed) consider(name, value->view());
  for (const CustomField& field : entry.fields)
    consider("\"" + std::string(field.name.view()) + "\"", field.value.view());
  if (names.empty()) return {};
  const bool plural = names.size() > 1;
  std::string note = "The " + JoinedNames(names) + (plural ? " refer" : " refers");
  if (!any_target)
    return note + " to an entry that is not in this safe, so " + (plural ? "they are" : "it is") + " shown as written.";
  note += one_target ? " to the entry \"" + std::string(target->title.view()) + "\"" : " to other entries";
  return note + ": " + (plural ? "they are" : "it is") + " shown, copied and typed as " +
         (one_target ? "that entry's" : "those entries'") + (plural ? " values." : " value.");
}
