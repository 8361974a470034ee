#pragma once

#include "foundation/VObject.h"

#include <cstdint>

namespace VCtrl {

// A colour with straight (not premultiplied) alpha; each channel is kept in 0..255 by the setters.
class VColour : public VFoundation::VObject {
    V_DECLARE_CLASS(VColour)
public:
    // Opaque black.
    VColour();
    VColour(int red, int green, int blue, int alpha = 255);
    VColour(const VColour& other);
    VColour& operator=(const VColour& other);
    ~VColour() override;

    VFoundation::VObject* Copy() const override;
    void GetDescription(VFoundation::VString& out) const override;
    uintptr_t GetHash() const override;
    bool IsEqual(const VFoundation::VObject* other) const override;

    int GetRed() const { return m_red; }
    int GetGreen() const { return m_green; }
    int GetBlue() const { return m_blue; }
    int GetAlpha() const { return m_alpha; }
    void SetRed(int red) { m_red = Clamp(red); }
    void SetGreen(int green) { m_green = Clamp(green); }
    void SetBlue(int blue) { m_blue = Clamp(blue); }
    void SetAlpha(int alpha) { m_alpha = Clamp(alpha); }
    void Set(int red, int green, int blue, int alpha = 255);

    // Channel / 255.0.
    double GetRedReal() const { return m_red / 255.0; }
    double GetGreenReal() const { return m_green / 255.0; }
    double GetBlueReal() const { return m_blue / 255.0; }
    double GetAlphaReal() const { return m_alpha / 255.0; }

    // red + green * 256 + blue * 65536.
    uint32_t GetPlatformColour() const;
    // alpha * 2^24 + red * 2^16 + green * 2^8 + blue.
    uint32_t GetARGB() const;

    bool operator==(const VColour& other) const;
    bool operator!=(const VColour& other) const { return !(*this == other); }

    static int Clamp(int value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }

private:
    int32_t m_red = 0;
    int32_t m_green = 0;
    int32_t m_blue = 0;
    int32_t m_alpha = 255;
};

} // namespace VCtrl
