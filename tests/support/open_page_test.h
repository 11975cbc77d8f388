// A test that starts with the plug-in's page open on a contact table given
// as CSV, its result list at hand, and ends with every table lock given
// back and no record of ours the host could not read.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "tests/support/plugin_session.h"

namespace support {

class OpenPageTest : public ::testing::Test {
protected:
    void openPage(const char* contactsCsv)
    {
        host = openPluginPage(contactsCsv);
        list = host->page().slotControl(host::lunetka::RESULTS);
        ASSERT_NE(nullptr, list);
    }
    void TearDown() override
    {
        if (!host)
            return;
        EXPECT_EQ(0, host->lockDepth()) << "a table lock was not given back";
        EXPECT_TRUE(host->abiErrors().empty());
    }

    // The contacts the list shows, top to bottom.
    std::vector<std::string> shownNames() { return host::shownNames(list); }

    std::unique_ptr<host::StandInHost> host;
    HWND list = nullptr;
};

}  // namespace support
