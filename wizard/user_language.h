#pragma once
// The language the wizard speaks: the user's UI language, among those the program carries as
// resources (type "WIZARD_TEXTS", named by tag: "DE", "ZH-CN"), else English.

#include "language.h"

#include <string>

// "de-DE" for the user's UI language (GetUserDefaultUILanguage, on every Windows from XP).
std::string UserLanguageTag();

core::Language ChooseUserLanguage();
