#pragma once

// The music strip: the main window's browser `WB`, a child of `pic1` that shows only a strip near
// the page's top-left corner, and the `Form2` pop-ups of the pages it loads.

#include <QObject>
#include <QUrl>

class QWebEngineView;
class QWidget;

namespace thornvale {

// The items of the "노래" menu, in menu order.
enum class MusicChoice { Gayo, Pop, Club };

// The compiled-in page of a music item.
QUrl MusicAddress(MusicChoice choice);

class MusicStrip final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MusicStrip)

public:
    // pic1: the 210 x 21 container that clips the browser; the strip is a child of it.
    explicit MusicStrip(QWidget *pic1);
    ~MusicStrip() override;

    // gayo_Click, pop_Click, club_Click: load address, replacing the page (and its music). The
    // browser is made on the first call so start-up does not pay for it; until then the strip is
    // blank.
    void navigate(const QUrl &address);
    void play(MusicChoice choice) { navigate(MusicAddress(choice)); }

    // `WB`, or nullptr before the first navigate.
    QWebEngineView *view() const { return m_view; }

private:
    QWidget *m_pic1;
    QWebEngineView *m_view = nullptr; // a child of pic1, which also owns this strip
};

} // namespace thornvale
