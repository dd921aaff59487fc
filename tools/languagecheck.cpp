#include "tools/languagecheck.h"

#include "api/actiontable.h"
#include "base/fileversion.h"
#include "base/owners.h"
#include "exitwnd/skin.h"
#include "res/resource.h"
#include "tools/markupcheck.h"
#include "tools/modulemachine.h"
#include "tools/textfit.h"
#include "tools/textmistake.h"

#include <cstdio>
#include <set>

namespace {

struct StringName {
    UINT id;
    const char* name;
};

// Every IDS_ name of res/resource.h, written there by the build.
constexpr StringName STRING_NAMES[] = {
#include "stringnames.inc"
};

// The smallest screen the exit window is made for, as skincheck holds skins to it.
constexpr SIZE SMALL_SCREEN = {1024, 768};

// The buffers the plug-in reads each kind of string into, with their NUL.
constexpr size_t DIALOG_TEXT_BUFFER = 500;
constexpr size_t TOOLTIP_BUFFER = 500;
constexpr size_t CAPTION_BUFFER = 255;

enum class Use { Question, Caption, Tooltip };

// Questions are dialog texts: when a module lacks one, the plug-in's own is shown. Strings
// the action table does not name are read like dialog texts too.
Use UseOf(UINT id) {
    if (id == CANCEL_BUTTON.tooltipId)
        return Use::Tooltip;
    for (const ActionRow& action : ACTIONS) {
        if (id == action.captionId)
            return Use::Caption;
        if (id == action.tooltipId)
            return Use::Tooltip;
    }
    return Use::Question;
}

// The actions' questions, by their identifiers.
std::set<UINT> QuestionIds() {
    std::set<UINT> ids;
    for (const ActionRow& action : ACTIONS)
        ids.insert(action.questionId);
    return ids;
}

size_t BufferOf(Use use) {
    return use == Use::Caption   ? CAPTION_BUFFER
           : use == Use::Tooltip ? TOOLTIP_BUFFER
                                 : DIALOG_TEXT_BUFFER;
}

std::string DialogName(UINT id) {
    const char* name = id == IDD_SETTINGS     ? " (settings)"
                       : id == IDD_CONFIRM    ? " (confirmation)"
                       : id == IDD_EXITWINDOW ? " (exit window)"
                       : id == IDD_ABOUT      ? " (about box)"
                                              : "";
    return "dialog " + std::to_string(id) + name;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string ControlName(const DialogControl& control) {
    std::string name = "control " + std::to_string(static_cast<int32_t>(control.id));
    return control.text.empty() ? name : name + " \"" + Utf8(control.text) + "\"";
}

std::string FitText(const CTextFit::Fit& fit) {
    return "needs " + std::to_string(fit.needed.cx) + " x " + std::to_string(fit.needed.cy) +
           " pixels at 96 DPI, the control has room for " + std::to_string(fit.room.cx) + " x " +
           std::to_string(fit.room.cy);
}

void CheckVersion(const std::string& path, CFindings& findings) {
    FileVersion version;
    if (!ReadFileVersion(path.c_str(), version)) {
        findings.Error("no version information: the plug-in uses a language module only when "
                       "its file version is 1.2.0.0");
        return;
    }
    if (version == LANGUAGE_MODULE_VERSION)
        return;
    char text[48];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu",
                  static_cast<unsigned long>(HIWORD(version.mostSignificant)),
                  static_cast<unsigned long>(LOWORD(version.mostSignificant)),
                  static_cast<unsigned long>(HIWORD(version.leastSignificant)),
                  static_cast<unsigned long>(LOWORD(version.leastSignificant)));
    findings.Error(std::string("file version ") + text +
                   ": the plug-in uses a language module only when its version is 1.2.0.0");
}

void CheckMarkupOf(UINT id, const std::u16string& text, const std::u16string& english,
                   CFindings& findings) {
    const std::string where = StringLabel(id) + ": ";
    const MarkupCheck check = CheckMarkup(text);
    for (const std::string& error : check.errors)
        findings.Error(where + error);
    for (const std::string& warning : check.warnings)
        findings.Warning(where + warning);
    if (check.errors.empty() && check.tags != CheckMarkup(english).tags)
        findings.Warning(where + "its tags are not those of the English text");
}

void CheckText(const std::string& where, const std::u16string& text, const std::u16string& english,
               CFindings& findings) {
    const std::string mistake = TextMistake(text, english);
    if (!mistake.empty())
        findings.Error(where + mistake);
}

// The key a tooltip's title names in brackets, such as the T of "Turn Off (T)": the
// last "(x)" before the first line break; 0 when it names none.
char16_t TitleLetter(const std::u16string& tooltip) {
    size_t end = tooltip.size();
    for (size_t i = 0; i + 2 < tooltip.size(); ++i) {
        if (tooltip[i] == u'<' && (tooltip[i + 1] | 0x20) == u'b' &&
            (tooltip[i + 2] | 0x20) == u'r') {
            end = i;
            break;
        }
    }
    for (size_t i = end; i >= 3; --i) {
        if (tooltip[i - 3] == u'(' && tooltip[i - 1] == u')')
            return tooltip[i - 2];
    }
    return 0;
}

} // namespace

std::string StringLabel(UINT id) {
    for (const StringName& name : STRING_NAMES) {
        if (name.id == id)
            return "string " + std::string(name.name) + " (" + std::to_string(id) + ")";
    }
    return "string " + std::to_string(id);
}

bool CLanguageCheck::Check(const std::string& name, CFindings& findings) const {
    // A bare or relative name must not find a system module of the same name.
    char path[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const WORD machine = ModuleMachine(path);
    if (machine == 0)
        return false;
    const std::string foreign = ForeignMachine(machine);
    if (!foreign.empty())
        findings.Error(foreign);
    LibraryHandle module(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return !foreign.empty();
    CheckVersion(path, findings);
    const CModuleResources resources(module.Get());
    CheckStrings(resources, findings);
    CheckTitleLetters(resources, findings);
    CheckCaptions(module.Get(), resources, findings);
    CheckDialogs(resources, findings);
    CheckQuestions(resources, findings);
    return true;
}

void CLanguageCheck::CheckStrings(const CModuleResources& module, CFindings& findings) const {
    for (const auto& [id, english] : own.Strings()) {
        const std::string where = StringLabel(id) + ": ";
        const Use use = UseOf(id);
        const auto found = module.Strings().find(id);
        if (found == module.Strings().end()) {
            if (use == Use::Question)
                findings.Warning(where + "missing: the plug-in asks in English");
            else
                findings.Error(where + "missing: the plug-in shows nothing in its place");
            continue;
        }
        CheckText(where, found->second, english, findings);
        // The plug-in reads its texts as UTF-16: its buffers count those units.
        const std::u16string& text = found->second;
        if (text.size() >= BufferOf(use))
            findings.Error(where + "the plug-in reads only its first " +
                           std::to_string(BufferOf(use) - 1) + " characters");
        if (use == Use::Tooltip)
            CheckMarkupOf(id, text, english, findings);
    }
    for (const auto& [id, text] : module.Strings()) {
        if (own.Strings().count(id) == 0)
            findings.Error(StringLabel(id) + " \"" + Utf8(text) +
                           "\": not a string of the plug-in");
    }
}

void CLanguageCheck::CheckDialogs(const CModuleResources& module, CFindings& findings) const {
    for (UINT id : module.BrokenDialogs())
        findings.Error(DialogName(id) + ": not a dialog template the system can read");
    for (const auto& [id, dialog] : module.Dialogs()) {
        if (own.Dialogs().count(id) == 0)
            findings.Error(DialogName(id) + ": not a dialog of the plug-in");
    }
    for (const auto& [id, english] : own.Dialogs()) {
        const auto found = module.Dialogs().find(id);
        if (found == module.Dialogs().end()) {
            if (module.BrokenDialogs().count(id) == 0)
                findings.Warning(DialogName(id) + ": missing: the plug-in shows its English one");
            continue;
        }
        const DialogTemplate& dialog = found->second;
        const std::string where = DialogName(id) + ": ";
        CheckText(where + "caption: ", dialog.caption, english.caption, findings);
        if (dialog.style != english.style || dialog.exStyle != english.exStyle)
            findings.Error(where + "style " + Hex(dialog.style) + ", extended " +
                           Hex(dialog.exStyle) + "; the plug-in's is " + Hex(english.style) +
                           ", extended " + Hex(english.exStyle));
        if (dialog.controls.size() != english.controls.size())
            findings.Error(where + std::to_string(dialog.controls.size()) + " controls; the " +
                           "plug-in's has " + std::to_string(english.controls.size()));
        for (size_t i = 0; i < dialog.controls.size() && i < english.controls.size(); ++i) {
            const DialogControl& mine = dialog.controls[i];
            const DialogControl& theirs = english.controls[i];
            const std::string control = where + "control " + std::to_string(i + 1) + ": ";
            if (mine.id != theirs.id)
                findings.Error(control + "identifier " + std::to_string(int32_t(mine.id)) +
                               "; the plug-in's is " + std::to_string(int32_t(theirs.id)));
            if (mine.className != theirs.className)
                findings.Error(control + "class " + mine.className + "; the plug-in's is " +
                               theirs.className);
            if (mine.style != theirs.style || mine.exStyle != theirs.exStyle)
                findings.Error(control + "style " + Hex(mine.style) + ", extended " +
                               Hex(mine.exStyle) + "; the plug-in's is " + Hex(theirs.style) +
                               ", extended " + Hex(theirs.exStyle));
            CheckText(where + ControlName(mine) + ": ", mine.text, theirs.text, findings);
        }
        CheckControls(id, dialog, findings);
    }
}

void CLanguageCheck::CheckControls(UINT id, const DialogTemplate& dialog,
                                   CFindings& findings) const {
    const CTextFit measure(dialog);
    for (const DialogControl& control : dialog.controls) {
        CTextFit::Fit fit;
        if (measure.Measure(control, control.text, fit) && !fit.Fits())
            findings.Error(DialogName(id) + ": " + ControlName(control) + ": the text " +
                           FitText(fit));
    }
}

// The question is set into the confirmation dialog when it opens: it must fit the
// question's place in the template that the plug-in will use.
void CLanguageCheck::CheckQuestions(const CModuleResources& module, CFindings& findings) const {
    auto dialog = module.Dialogs().find(IDD_CONFIRM);
    if (dialog == module.Dialogs().end())
        dialog = own.Dialogs().find(IDD_CONFIRM);
    if (dialog == own.Dialogs().end())
        return;
    const CTextFit measure(dialog->second);
    for (const DialogControl& control : dialog->second.controls) {
        if (control.id != IDC_QUESTION)
            continue;
        for (UINT id : QuestionIds()) {
            const auto text = module.Strings().find(id);
            CTextFit::Fit fit;
            if (text != module.Strings().end() && measure.Measure(control, text->second, fit) &&
                !fit.Fits())
                findings.Error(StringLabel(id) + " \"" + Utf8(text->second) +
                               "\": in the confirmation dialog it " + FitText(fit));
        }
    }
}

// The built-in skin widens the exit window for long captions; on a screen too narrow for
// the window it cuts them short with an ellipsis instead.
void CLanguageCheck::CheckCaptions(HMODULE module, const CModuleResources& resources,
                                   CFindings& findings) const {
    MemoryDC dc(nullptr);
    CSkin skin;
    SIZE natural = {};
    skin.Layout(dc.Get(), module, ALL_ACTIONS, natural);
    if (!dc || natural.cx <= SMALL_SCREEN.cx)
        return;
    SIZE fitted = {};
    skin.Layout(dc.Get(), module, ALL_ACTIONS, fitted, SkinFit{SkinFit::BASE_DPI, SMALL_SCREEN});
    const LOGFONTW face = CSkin::CaptionFont();
    Font font(CreateFontIndirectW(&face));
    Selection selected(dc.Get(), font.Get());
    const std::string screen =
        std::to_string(SMALL_SCREEN.cx) + " x " + std::to_string(SMALL_SCREEN.cy);
    bool named = false;
    for (int i = 0; i < CSkin::MAX_BUTTONS; ++i) {
        const SkinButton& button = skin.Button(i);
        const ActionRow* action = FindAction(button.key);
        const auto text =
            action ? resources.Strings().find(action->captionId) : resources.Strings().end();
        SIZE extent = {};
        if (text == resources.Strings().end() ||
            !GetTextExtentPoint32W(dc.Get(), reinterpret_cast<const wchar_t*>(text->second.c_str()),
                                   static_cast<int>(text->second.size()), &extent))
            continue;
        const LONG room = button.captionRect.right - button.captionRect.left;
        if (extent.cx <= room)
            continue;
        named = true;
        findings.Error(StringLabel(action->captionId) + " \"" + Utf8(text->second) +
                       "\": the exit window's caption needs " + std::to_string(extent.cx) +
                       " pixels at 96 DPI; with every action on a " + screen +
                       " screen it has room for " + std::to_string(room) +
                       " and is cut short with an ellipsis");
    }
    if (!named)
        findings.Error("the captions make the exit window " + std::to_string(natural.cx) +
                       " pixels wide at 96 DPI, wider than a " + screen +
                       " screen: it cuts them short with an ellipsis");
}

// The keys that choose actions are the same in every language, and the tooltip's title
// tells the user which it is.
void CLanguageCheck::CheckTitleLetters(const CModuleResources& module, CFindings& findings) const {
    for (const ActionRow& action : ACTIONS) {
        const auto text = module.Strings().find(action.tooltipId);
        if (text == module.Strings().end())
            continue;
        const std::string where = StringLabel(action.tooltipId) + ": ";
        const std::string key = std::string("(") + action.letter + ")";
        const char16_t letter = TitleLetter(text->second);
        if (letter == 0)
            findings.Warning(where + "its title names no key; the English one ends with " + key +
                             ", the key that chooses the action in every language");
        else if (letter != static_cast<char16_t>(action.letter))
            findings.Error(where + "its title names the key (" + Utf8(std::u16string(1, letter)) +
                           "), but " + key + " chooses this action, in every language");
    }
}
