// For GoogleTest tests: a ScriptedUi installed for the test's scope whose
// failures are test failures, and which at the end checks that every scripted
// answer was used.
//
//   platform::GTestScriptedUi ui;
//   ui.AnswerMessageBox(IDYES, "Save changes");
//   ... code under test ...
#pragma once

#include <gtest/gtest.h>

#include "platform/scripted_ui.h"

namespace platform {

class GTestScriptedUi : public ScriptedUi {
public:
    GTestScriptedUi() : previous_(SetModalUi(this))
    {
        SetFailureHandler([](const std::string& failure) { ADD_FAILURE() << "ScriptedUi: " << failure; });
    }
    ~GTestScriptedUi() override
    {
        SetModalUi(previous_);
        Verify();
    }

private:
    ModalUi* previous_;
};

}  // namespace platform
