// The action table against itself and against the resources of the built plug-in: a
// row copied and not quite changed would give two actions one key, one box or one
// picture, or point at a text the module does not have.
#include "api/actiontable.h"
#include "exitwnd/skinformat.h"
#include "host/pluginlibrary.h"
#include "tests/host/builtplugin.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

std::string StringOf(HMODULE module, UINT id) {
    char text[500] = {};
    LoadStringA(module, id, text, sizeof text);
    return text;
}

TEST(ActionTable, EachActionHasItsOwnBitKeysBoxPictureAndTexts) {
    PluginLibrary library(BuiltPluginPath());
    ASSERT_TRUE(library.IsLoaded());
    DWORD all = 0;
    std::set<char> letters;
    std::set<std::string> skinKeys = {SkinButtonKeyName(CANCEL_BUTTON.bit)};
    std::set<int> boxes;
    std::set<int> columns;
    for (const ActionRow& action : ACTIONS) {
        const std::string name = SkinButtonKeyName(action.bit);
        EXPECT_NE(name, "") << action.bit << ": a key in skins";
        EXPECT_EQ(action.bit & (action.bit - 1), 0u) << name << ": one bit";
        EXPECT_EQ(all & action.bit, 0u) << name << ": a bit of its own";
        all |= action.bit;
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(action.letter))) << name;
        EXPECT_TRUE(letters.insert(action.letter).second) << name;
        EXPECT_TRUE(skinKeys.insert(name).second) << name;
        EXPECT_TRUE(boxes.insert(action.checkBoxId).second) << name;
        EXPECT_TRUE(columns.insert(action.stripColumn).second) << name;
        EXPECT_NE(action.call, PowerCall::None) << name;
        for (UINT id : {action.questionId, action.captionId, action.tooltipId})
            EXPECT_NE(StringOf(library.Module(), id), "") << name << ": string " << id;
        EXPECT_EQ(FindAction(action.bit), &action) << name;
        EXPECT_EQ(FindButton(action.bit), &action) << name;
    }
    EXPECT_EQ(all, ALL_ACTIONS);
    EXPECT_EQ(*columns.begin(), 0);
    EXPECT_EQ(*columns.rbegin(), ACTION_COUNT - 1);
    EXPECT_NE(StringOf(library.Module(), CANCEL_BUTTON.tooltipId), "");
}

TEST(ActionTable, OnlySingleActionsAreFoundAndCancelOnlyAsAButton) {
    for (DWORD value : {0u, 3u, 32u, 64u, 256u, 0xFFFFFFFFu})
        EXPECT_EQ(FindAction(value), nullptr) << value;
    EXPECT_EQ(FindButton(BUTTON_CANCEL), &CANCEL_BUTTON);
    EXPECT_EQ(FindButton(OPTION_CONFIRM), nullptr);
}

} // namespace
