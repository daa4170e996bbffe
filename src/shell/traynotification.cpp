#include "shell/traynotification.h"

#include <cmath>
#include <exception>
#include <limits>
#include <utility>

namespace thornvale {

std::int32_t DecodeTrayMessage(double xTwips, double twipsPerPixel)
{
    const double pixels = xTwips / twipsPerPixel;
    if (!std::isfinite(pixels))
        return 0;
    // Round half to even whatever rounding mode the process is in.
    const double below = std::floor(pixels);
    const double fraction = pixels - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    if (rounded < double(std::numeric_limits<std::int32_t>::min())
        || rounded > double(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return std::int32_t(rounded);
}

TrayNotificationHandler::TrayNotificationHandler(std::function<void()> showWindow)
    : m_showWindow(std::move(showWindow))
{
}

void TrayNotificationHandler::mouseMove(double xTwips, double twipsPerPixel)
{
    message(DecodeTrayMessage(xTwips, twipsPerPixel));
}

void TrayNotificationHandler::message(std::int32_t mouseMessage)
{
    m_trayMessage = mouseMessage;
    if (m_trayBusy)
        return;
    m_trayBusy = true;
    if (m_trayMessage == tray::kLeftButtonUp && m_showWindow) {
        // A failing show is skipped like any failing step here; the guard must still come down.
        // Qt itself throws nothing but std::bad_alloc, so a standard exception is all there is.
        try {
            m_showWindow();
        } catch (const std::exception &) {
        }
    }
    m_trayBusy = false;
}

} // namespace thornvale
