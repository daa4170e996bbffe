#pragma once

// The music strip where the main window puts it: pic1 at its place in a window of the main
// window's size, shown and exposed.

#include "shell/musicstrip.h"

#include <QTest>
#include <QWidget>

#include <memory>

struct StripWindow {
    StripWindow()
        : window(std::make_unique<QWidget>())
        , pic1(new QWidget(window.get()))
        , strip(new thornvale::MusicStrip(pic1))
    {
        strip->setModuleFolder(QStringLiteral(THORNVALE_MUSIC_MODULE_DIR));
        window->resize(737, 479);
        pic1->setGeometry(512, 16, 210, 21);
        window->show();
    }
    ~StripWindow() { strip->closePopups(); }
    Q_DISABLE_COPY_MOVE(StripWindow)

    bool exposed() const { return QTest::qWaitForWindowExposed(window.get()); }

    std::unique_ptr<QWidget> window;
    QWidget *pic1;
    thornvale::MusicStrip *strip;
};
