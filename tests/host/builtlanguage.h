// A translation this build made, loaded as a host loads it, and the system locale that
// shows whether the plug-in's text depends on it.
#pragma once

#include <windows.h>

#include <string>

// An English system: its ANSI code page has no Cyrillic, so Russian text that went through
// it would read as question marks.
constexpr UINT ENGLISH_CODE_PAGE = 1252;

// A string of a module as it holds it, read independently of the plug-in; empty without one.
std::wstring ModuleText(HMODULE module, UINT id);

class CBuiltLanguage {
public:
    // code as in the module's name: "de", "ru".
    explicit CBuiltLanguage(const std::string& code);
    ~CBuiltLanguage();
    CBuiltLanguage(const CBuiltLanguage&) = delete;
    CBuiltLanguage& operator=(const CBuiltLanguage&) = delete;

    HMODULE Module() const { return module; }
    std::wstring Text(UINT id) const { return ModuleText(module, id); }
    // The same, as UTF-8.
    std::string Utf8Text(UINT id) const;

private:
    HMODULE module;
};
