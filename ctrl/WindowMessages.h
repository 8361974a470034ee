#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The window messages that a window backend sends to VWindow::HandleMessage, with the numbers, virtual-key
// codes and mouse-state bits of the desktop platform the toolkit was first written for, so that message
// numbers in diagnostics and key codes in scripts and skins mean the same on every backend.
namespace VCtrl {

namespace WindowMessage {
enum : uint32_t {
    kDestroy = 0x0002,
    kMove = 0x0003, // lParam: client x (low 16 bits, signed), client y (high 16 bits, signed), screen
    kSize = 0x0005, // lParam: client width (low 16 bits), client height (high 16 bits)
    kActivate = 0x0006,
    kSetFocus = 0x0007,
    kKillFocus = 0x0008, // wParam: 1 when the focus went to another window of this program, else 0
    kPaint = 0x000F,     // lParam: const VRect* paint rectangle in client coordinates (null: empty)
    kClose = 0x0010,
    kEraseBackground = 0x0014,
    kKeyDown = 0x0100,       // wParam: virtual key; lParam bit 24: extended key, bit 30: key was down
    kKeyUp = 0x0101,         // wParam: virtual key
    kChar = 0x0102,          // wParam: character code
    kSystemKeyDown = 0x0104, // keys pressed with Alt, and Alt itself
    kSystemKeyUp = 0x0105,
    kTimer = 0x0113, // wParam: the platform timer id (VApplication::TimerId)
    kMouseMove = 0x0200,
    kLeftButtonDown = 0x0201, // mouse messages: wParam the MouseState bits, lParam the client point
    kLeftButtonUp = 0x0202,
    kLeftButtonDoubleClick = 0x0203,
    kRightButtonDown = 0x0204,
    kRightButtonUp = 0x0205,
    kMouseWheel = 0x020A,     // wParam high 16 bits: signed delta, 120 a notch; lParam: the client point
    kCaptureChanged = 0x0215, // lParam: 1 when another window took the capture
    kDropFiles = 0x0233,      // lParam: const DroppedFiles*
};
} // namespace WindowMessage

// wParam of the mouse messages.
namespace MouseState {
enum : uint32_t { kLeftButton = 0x0001, kRightButton = 0x0002, kShift = 0x0004, kControl = 0x0008 };
} // namespace MouseState

// The modifier bits that the root passes to the controls' mouse and key operations.
namespace Modifier {
enum : uint32_t {
    kShift = 0x01,
    kControl = 0x02,
    kAlt = 0x04,
    // The other button is held: releasing one button keeps the mouse captured while the other is down.
    kLeftButton = 0x10,
    kRightButton = 0x20,
};
} // namespace Modifier

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A' is 0x41, '0' is 0x30); the
// toolkit's key codes are these codes unchanged.
namespace VirtualKey {
enum : int32_t {
    kBack = 0x08,
    kTab = 0x09,
    kReturn = 0x0D,
    kShift = 0x10,
    kControl = 0x11,
    kMenu = 0x12, // Alt
    kPause = 0x13,
    kCapital = 0x14,
    kEscape = 0x1B,
    kSpace = 0x20,
    kPrior = 0x21,
    kNext = 0x22,
    kEnd = 0x23,
    kHome = 0x24,
    kLeft = 0x25,
    kUp = 0x26,
    kRight = 0x27,
    kDown = 0x28,
    kInsert = 0x2D,
    kDelete = 0x2E,
    kNumpad0 = 0x60,
    kMultiply = 0x6A,
    kAdd = 0x6B,
    kSubtract = 0x6D,
    kDecimal = 0x6E,
    kDivide = 0x6F,
    kF1 = 0x70,
    kF12 = 0x7B,
};
} // namespace VirtualKey

// What the drop-files message points at: the drop point in client coordinates and the files' paths.
struct DroppedFiles {
    int x = 0;
    int y = 0;
    std::vector<std::string> paths;
};

// lParam bits of the key messages.
constexpr uint32_t kKeyExtendedBit = 1u << 24;
constexpr uint32_t kKeyPreviousStateBit = 1u << 30;

// lParam of the mouse messages: the signed 16-bit halves, as the platform packs them.
constexpr intptr_t MakePointParam(int x, int y) {
    return intptr_t(uint32_t(uint16_t(int16_t(x))) | (uint32_t(uint16_t(int16_t(y))) << 16));
}
constexpr int PointParamX(intptr_t lParam) {
    return int16_t(uint16_t(uint32_t(lParam) & 0xFFFF));
}
constexpr int PointParamY(intptr_t lParam) {
    return int16_t(uint16_t((uint32_t(lParam) >> 16) & 0xFFFF));
}

} // namespace VCtrl
