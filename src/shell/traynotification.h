#pragma once

// The tray icon's notifications. The shell posts them to the window of `P` as mouse moves whose x
// coordinate is the mouse message on the icon; the window reports that x in twips, so the message
// number comes back by dividing by the screen's twips per pixel.

#include <cstdint>
#include <functional>

namespace thornvale {

namespace tray {
inline constexpr int kLeftButtonUp = 0x202; // WM_LBUTTONUP, the only message that acts
inline constexpr int kLeftButtonDown = 0x201;
inline constexpr int kLeftDoubleClick = 0x203;
inline constexpr int kRightButtonUp = 0x205;
inline constexpr int kMiddleButtonUp = 0x208;
} // namespace tray

// xTwips / twipsPerPixel rounded to the nearest integer, an exact half to the even neighbour.
// Anything that has no 32-bit integer result (a zero factor, an overflow, NaN) gives 0, which
// never acts.
std::int32_t DecodeTrayMessage(double xTwips, double twipsPerPixel);

// P_MouseMove: keeps `trayMessage` up to date on every notification and shows the window on a
// left-button release. `trayBusy` is set while the window is being shown, so a notification that
// arrives meanwhile (showing lets further messages through) only updates `trayMessage`.
class TrayNotificationHandler {
public:
    explicit TrayNotificationHandler(std::function<void()> showWindow);

    // The mouse-move form: X in twips and the screen's factor.
    void mouseMove(double xTwips, double twipsPerPixel);
    // The decoded form, for a receiver that reads the mouse message directly.
    void message(std::int32_t mouseMessage);

    bool trayBusy() const { return m_trayBusy; }
    std::int32_t trayMessage() const { return m_trayMessage; }

private:
    std::function<void()> m_showWindow;
    bool m_trayBusy = false;
    std::int32_t m_trayMessage = 0;
};

} // namespace thornvale
