// Test fixtures that attach the driver's process state, as loading the library does, and
// open instances through DriverProc, as the manager does.
#pragma once

#include <gtest/gtest.h>

#include "driver/driver_proc.h"
#include "driver/process.h"
#include "platform/code_module.h"

class AttachedDriverTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessAttach(CodeModule()); }
    void TearDown() override { ProcessDetach(); }

    static LRESULT Send(DWORD_PTR driverId, UINT message, LPARAM l1 = 0, LPARAM l2 = 0) {
        return DriverProc(driverId, nullptr, message, l1, l2);
    }

    // DRV_OPEN with open parameters, as ICOpen sends it.
    static DWORD_PTR Open() {
        static ICINFO openParameters{};
        return static_cast<DWORD_PTR>(
            Send(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)));
    }
    static void Close(DWORD_PTR driverId) { Send(driverId, DRV_CLOSE); }
};
