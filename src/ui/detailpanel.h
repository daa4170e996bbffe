#pragma once

#include <QWidget>

#include <array>
#include <optional>

#include "search/characterpage.h"

class QLabel;

namespace thornvale {

// The detail panel on the right of the main window: five header labels (`Label1`), the
// equipment grid of names (`Litem`, 1 to 20) and grades (`LDitem`, 1 to 18), and the lines that
// frame them. Its area overlaps the music strip, the tray receiver and the credit label, which lie
// above it; it takes no mouse input and paints nothing but its labels and lines.
class DetailPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailPanel)

public:
    // The elements of `Label1`, by what they show. There is no element 1.
    enum Header { Title = 0, Job = 2, SubLine = 3, Server = 4, Nickname = 5 };
    static constexpr int ItemRows = 20;
    static constexpr int GradeRows = 18;

    // Placed on the window's client area at its design position.
    explicit DetailPanel(QWidget *client);

    // Every equipment row back to its design text; colours stay.
    void ResetDetailPanel();
    // Writes a scraped page and the row's nickname onto the panel. An absent field leaves its
    // equipment label as it is, and shows a header's design text.
    void ShowCharacterDetail(const CharacterDetail &detail, const std::optional<QString> &nickname);
    // Colours every grade label by the grade it shows; a caption that is no grade keeps its colour.
    // On a dark window (lightness below one half) each colour is lightened until it reads.
    void ColourGradeLabels();

    QLabel *header(Header element) const { return m_headers[std::size_t(element)]; }
    QLabel *item(int k) const { return m_items[std::size_t(k)]; }
    QLabel *grade(int k) const { return m_grades[std::size_t(k)]; }

private:
    void setHeaderCaption(Header element, const QString &text);

    std::array<QLabel *, 6> m_headers {};
    std::array<QLabel *, ItemRows + 1> m_items {}; // element 0 unused
    std::array<QLabel *, GradeRows + 1> m_grades {}; // element 0 unused
};

} // namespace thornvale
