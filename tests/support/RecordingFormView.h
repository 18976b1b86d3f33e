#pragma once

#include <string>
#include <vector>

#include "template/FormView.h"

namespace loom::test {

// Records what the model tells the view, one readable line per call, naming controls by
// their control number ("#3") or, when they have none, by their caption.
class RecordingFormView : public FormView {
  public:
    void showControl(const FormControl& c) override {
        calls.push_back((c.visible ? "show " : "hide ") + name(c));
    }
    void enableControl(const FormControl& c) override {
        calls.push_back((c.windowEnabled() ? "enable " : "disable ") + name(c));
    }
    void showText(const FormControl& c) override {
        calls.push_back("text " + name(c) + " " + c.text);
    }
    void showValue(const FormControl& c) override {
        calls.push_back("value " + name(c) + " " + c.value());
    }
    void focus(const FormControl& c) override { calls.push_back("focus " + name(c)); }
    void systemModified() override { calls.push_back("modified"); }

    static std::string name(const FormControl& c) {
        return c.number >= 0 ? "#" + std::to_string(c.number) : c.caption;
    }

    std::vector<std::string> calls;
};

}  // namespace loom::test
