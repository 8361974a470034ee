#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/IGraphicsContext.h"
#include "ctrl/VColour.h"
#include "ctrl/VCtrl.h"
#include "foundation/VException.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace KisTest {

// Starts the toolkit for a test and stops it after, so the style list and the shared event start empty.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override { VCtrl::InitializeLibrary(); }
    void TearDown() override { VCtrl::UninitializeLibrary(); }
};

// Answers VFoundation::Alert for a scope and keeps the texts.
class AlertRecorder {
public:
    AlertRecorder() : m_previous(VFoundation::SetAlertHandler(&Record)) { Texts().clear(); }
    ~AlertRecorder() { VFoundation::SetAlertHandler(m_previous); }
    AlertRecorder(const AlertRecorder&) = delete;
    AlertRecorder& operator=(const AlertRecorder&) = delete;

    static std::vector<std::string>& Texts() {
        static std::vector<std::string> texts;
        return texts;
    }

private:
    static int Record(const char* text) {
        Texts().push_back(text);
        return 1;
    }
    VFoundation::AlertHandler m_previous;
};

// Keeps a copy of what every event said.
struct ReceivedEvent {
    int32_t type;
    VCtrl::Ctrl* ctrl;
    int32_t data;
    VCtrl::VPoint point;
    VFoundation::VObject* object;
};

class RecordingListener : public VCtrl::ICtrlListener {
public:
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override {
        events.push_back(ReceivedEvent{event.GetType(), event.GetCtrl(), event.GetData(), event.GetPoint(),
                                       event.GetObject()});
        if (onEvent) onEvent(event);
    }
    std::vector<ReceivedEvent> events;
    void (*onEvent)(const VCtrl::CtrlEvent&) = nullptr;
};

// A control that fills its frame with one colour, then draws its children; it counts its drawings and can
// be made to throw from Draw.
class FillCtrl : public VCtrl::Ctrl {
public:
    enum class Throw { Nothing, Standard, VException };

    explicit FillCtrl(const VCtrl::VColour& colour) : m_colour(colour) {}
    void Draw(VCtrl::IGraphicsContext& context) override {
        ++drawCount;
        if (throws == Throw::Standard) throw std::runtime_error("broken control");
        if (throws == Throw::VException) throw VFoundation::VException(7, this, "broken control");
        context.FillRectangle(-100, -100, GetWidth() + 200, GetHeight() + 200, m_colour);
        Ctrl::Draw(context);
    }

    int drawCount = 0;
    Throw throws = Throw::Nothing;

private:
    VCtrl::VColour m_colour;
};

} // namespace KisTest
