#pragma once

#include <QFont>

#include <string>

namespace dn {

// A device that fonts can be bound to (a printer). The printing code implements it;
// a font bound to a device is sized for that device's resolution.
class FontDevice {
public:
    virtual ~FontDevice() = default;
    // Resolution in pixels per inch.
    virtual double dpiX() const = 0;
    virtual double dpiY() const = 0;
    // Extra scale for a face on this device (1 by default), e.g. a face that prints
    // wider than its screen twin.
    virtual double faceScale(const std::string& face) const {
        (void)face;
        return 1.0;
    }
};

// A font by face and height. On the screen (no device) the height is in pixels:
// negative is the character height, positive the cell height. Bound to a device
// the height is in points and is scaled to the device's resolution. A width of 0
// keeps the face's own proportions.
class TFont {
public:
    TFont() = default;
    TFont(std::string face, int width, int height, bool bold = false, bool italic = false,
          bool underline = false, bool strikeOut = false, const FontDevice* device = nullptr);
    static TFont New(std::string face, int width, int height, bool bold = false,
                     bool italic = false, bool underline = false, bool strikeOut = false,
                     const FontDevice* device = nullptr) {
        return TFont(std::move(face), width, height, bold, italic, underline, strikeOut, device);
    }

    // The Qt font: for the screen, or sized for the bound device.
    QFont hFont() const;
    // The same font sized for another device.
    QFont fontFor(const FontDevice& device) const;
    // Releases nothing: Qt fonts are values. Kept so callers read as described.
    void End() {}

    std::string cFaceName = "MS Sans Serif";
    int nWidth = 0;
    int nHeight = 0;
    bool lBold = false;
    bool lItalic = false;
    bool lUnderline = false;
    bool lStrikeOut = false;
    const FontDevice* oDevice = nullptr;
};

} // namespace dn
