// A fixture for tests of one plug-in object of the built DLL, with a recording site.
#pragma once

#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "host/settingsrecord.h"
#include "host/streams.h"
#include "tests/host/builtplugin.h"
#include "tests/host/recordingsite.h"

#include <gtest/gtest.h>

#include <vector>

class PluginObjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library = new PluginLibrary(BuiltPluginPath()); }
    static void TearDownTestSuite() {
        delete library;
        library = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(library->IsLoaded()) << library->Path();
        plugin = library->CreatePlugin();
        ASSERT_NE(plugin, nullptr);
    }
    void TearDown() override {
        if (plugin)
            plugin->Release();
    }

    // The object's record as Save writes it.
    std::vector<BYTE> Saved() {
        StreamPtr stream = StreamWith({});
        EXPECT_EQ(plugin->Save(stream.Get()), S_OK);
        return StreamBytes(stream.Get());
    }
    void LoadBytes(const std::vector<BYTE>& bytes) {
        StreamPtr stream = StreamWith(bytes);
        EXPECT_EQ(plugin->Load(stream.Get()), S_OK);
    }
    // Settings with these actions and skin, loaded as the host loads them.
    void Use(DWORD flags, const char* skinName = "") {
        SettingsRecord record;
        record.flags = flags;
        record.lastAction = 0;
        record.skinName = skinName;
        LoadBytes(record.Bytes());
    }

    static inline PluginLibrary* library = nullptr;
    IHostPlugin* plugin = nullptr;
    CRecordingSite site;
};

// For tests that press the button: the object has the site, and the power calls of the
// DLL land in the recorder.
class PluginPressTest : public PluginObjectTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(library->IsLoaded()) << library->Path();
        // Without the recorder in place a press would end the whole test run.
        ASSERT_TRUE(recorder.Install(library->Module()));
        PluginObjectTest::SetUp();
        plugin->SetSite(&site);
    }

    CPowerRecorder recorder;
};
