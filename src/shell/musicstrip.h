#pragma once

// The music strip: the main window's browser `WB`, a child of `pic1` that shows only a strip near
// the page's top-left corner, and the `Form2` pop-ups of the pages it loads. The browser lives in
// the music module (src/music), loaded on the first choice: a start that plays no music never
// loads QtWebEngine.

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QFocusFrame;

namespace thornvale {

class MusicEngine;

class MusicStrip final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MusicStrip)

public:
    // pic1: the 210 x 21 container that clips the browser; the strip is a child of it.
    explicit MusicStrip(QWidget *pic1);
    ~MusicStrip() override;

    // gayo_Click, pop_Click, club_Click: load address, replacing the page (and its music). The
    // first call loads the module and makes the browser. If the module is missing or does not
    // load, the engine would end the program (as root with its sandbox on), or the browser cannot
    // run here (no OpenGL context), one warning names the cause and the strip stays blank for the
    // rest of the run: a second attempt would only meet the same file or machine and repeat the
    // line at every choice. The module ends the browser when its pages take too much of the
    // program's memory; the next call makes a new one.
    void navigate(const QUrl &address);

    // `WB`, or nullptr before the first navigate, after the module ended the pages, and for good
    // when the module did not load.
    QWidget *view() const { return m_view; }

    // The strip is one stop of the window's tab chain, between before and after: pic1 until the
    // browser is there, then the page, which Tab and Shift+Tab leave at once instead of walking
    // its links. While it has the focus a frame is drawn just outside pic1, which the browser
    // covers whole.
    void setTabNeighbours(QWidget *before, QWidget *after);

    // Plays through engine instead of loading the module; it must outlive the strip.
    void setEngine(MusicEngine *engine)
    {
        m_engine = engine;
        m_loadTried = true;
    }
    // Where the module is looked for instead of beside the program and under its library
    // folder; empty: there.
    void setModuleFolder(const QString &folder) { m_moduleFolder = folder; }

    // Every Form2 that is open, oldest first.
    QList<QWidget *> popups() const;
    // Ends every Form2 at once; the main window's close path calls it before the program ends.
    void closePopups();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MusicEngine *loadEngine();
    // The browser makes the widget that takes its keyboard input only once a page loads, and may
    // replace it; each one takes the strip's place in the chain when it appears.
    void adoptFocusProxy();
    void markFocus(QWidget *now);

    QWidget *m_pic1;
    MusicEngine *m_engine = nullptr;
    bool m_loadTried = false;
    QString m_moduleFolder;
    bool m_browserFailed = false; // the engine could not make a browser here
    bool m_madeBrowser = false;
    QPointer<QWidget> m_view; // a child of pic1, which also owns this strip
    Qt::FocusPolicy m_pic1Policy = Qt::NoFocus; // pic1's own, while no browser covers it
    QPointer<QWidget> m_before;
    QPointer<QWidget> m_after;
    QPointer<QWidget> m_input; // the browser's focus proxy, once there is one
    QFocusFrame *m_focusFrame;
    bool m_reactivate = false; // the main window had the keyboard when the browser came
};

// Why the browser engine would end the whole program if it started now, or an empty text when it
// may start. As root the engine's zygote refuses to run with its sandbox on and exits the process
// with status 1, where nothing can catch it; the sandbox is off when QTWEBENGINE_DISABLE_SANDBOX is
// set (disableSandboxSet) or --no-sandbox is among the engine's flags (chromiumFlags, the value of
// QTWEBENGINE_CHROMIUM_FLAGS).
QString engineStartRefusal(bool root, bool disableSandboxSet, QByteArrayView chromiumFlags);

} // namespace thornvale
