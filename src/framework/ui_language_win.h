// The language Sopora speaks, chosen once at start-up, and its resources in
// that language. Strings, menus and dialogs are looked up with the
// language's id: the thread's UI language is Windows' choice (and Wine
// does not let a program set it), so the resource loader's own pick could
// be either language.
#pragma once

#include <windows.h>

#include <string>

#include "text/messages.h"

namespace sopora {

// Before the first window: at start-up, from the setting and the user's UI
// language.
void SetUiLanguage(UiLanguage language);
UiLanguage CurrentUiLanguage();

// The string table of a language as the portable code reads it (CP932); a
// string missing in English is taken from the Japanese table.
const TextCatalog& ResourceText(UiLanguage language);
// The one of the chosen language.
const TextCatalog& UiText();

// A string or a message as the W API shows it.
std::wstring UiString(UINT id);
std::wstring UiMessage(const Message& message);

// The menu or dialog template of the chosen language (the Japanese one
// where the language has none); null when neither exists.
HMENU LoadUiMenu(UINT id);
const DLGTEMPLATE* UiDialogTemplate(UINT id);

}  // namespace sopora
