#pragma once

// What the program asks of the music module. The module carries the embedded browser and with it
// all of QtWebEngine, so the program loads it on the first music choice and never links it: this
// header is the only piece both sides compile, and it names no browser type.

#include <QList>
#include <QtPlugin>

class QIcon;
class QUrl;
class QWidget;

namespace thornvale {

class MusicEngine {
public:
    virtual ~MusicEngine() = default;

    // Makes `WB`, the strip's browser, as a shown child of pic1. Every new window its pages ask
    // for becomes a `Form2` showing popupIcon. Nullptr, after one warning that says why, when the
    // browser cannot run here (no OpenGL context); the strip then stays blank.
    virtual QWidget *createBrowser(QWidget *pic1, const QIcon &popupIcon) = 0;
    // Loads address into a browser from createBrowser, replacing the page (and its music).
    virtual void navigate(QWidget *browser, const QUrl &address) = 0;

    // Every Form2 that is open, oldest first.
    virtual QList<QWidget *> popups() const = 0;
    // Ends every Form2 at once; the main window's close path calls it before the program ends.
    virtual void closePopups() = 0;

protected:
    MusicEngine() = default;
    Q_DISABLE_COPY_MOVE(MusicEngine)
};

} // namespace thornvale

// Raised with any change above: a module built against another version then fails to load
// instead of calling through a different table.
#define ThornvaleMusicEngine_iid "org.thornvale.MusicEngine/1"
Q_DECLARE_INTERFACE(thornvale::MusicEngine, ThornvaleMusicEngine_iid)
