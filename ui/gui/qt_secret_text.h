#pragma once

#include <QString>
#include <vector>

#include "core/secret_text.h"

// An edited text on its way into an entry: its UTF-8 bytes go straight into
// a SecretText and the passing copy is wiped.
SecretText SecretFromText(const QString& text);

// Tags as shown in the entry dialog and the list: "Home, Work/VPN".
QString TagsText(const std::vector<SecretText>& tags);

// A text left as loaded keeps the loaded bytes, also when they are not
// UTF-8 and so would come back from the editor in another form.
SecretText KeptOrEditedBytes(const QString& text, const SecretText& loaded);
