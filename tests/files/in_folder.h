// A test fixture that runs in a fresh temporary folder as the working
// directory, with the error state cleared and the documents closed after.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include <vorlan/files.h>

#include "core/runtime_state.h"
#include "files/data_file.h"
#include "support/temp_folder.h"

namespace vorlan::test {

class InFolder : public testing::Test {
  protected:
    InFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.path());
        errorState = ErrorState();
    }
    ~InFolder() override {
        openIniFile("");
        closeDataFile();
        std::filesystem::current_path(previous_);
    }
    TempFolder folder_;
    std::filesystem::path previous_;
};

}  // namespace vorlan::test
