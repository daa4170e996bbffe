#pragma once

// What the window tests share: a site-sim on loopback, a window pointed at it, and small readers.

#include <QAbstractItemModel>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <string>

#include "form1controls.h"
#include "qtbridge/qtbridge.h"
#include "site-sim/sitesim.h"
#include "support/sitesimfixture.h"
#include "ui/form1.h"
#include "ui/resultmodel.h"

namespace uitest {

inline QString q(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

inline thornvale::SiteConfig configFor(const sitesim::Server &site)
{
    thornvale::SiteConfig config = thornvale::SiteConfig::compiledIn();
    config.searchBase = thornvale::toU16(q(site.baseUrl()));
    config.characterBase = thornvale::toU16(q(site.characterBase()));
    config.statusUrl = thornvale::toU16(q(site.statusUrl()));
    return config;
}

// A started site and a window on it, loaded (service open) unless told otherwise. On a Wayland
// compositor the loaded window is also shown, as the program shows it, so the run goes through a
// real surface; offscreen it stays hidden.
struct Fixture {
    std::unique_ptr<sitesim::Server> site;
    std::unique_ptr<thornvale::Form1> form;

    bool start(bool load = true)
    {
        site = thornvale::test::StartSiteSim();
        if (!site)
            return false;
        form = std::make_unique<thornvale::Form1>(configFor(*site));
        if (!load)
            return true;
        QSignalSpy loaded(form.get(), &thornvale::Form1::loadFinished);
        form->load();
        if (!loaded.wait(10000) || !loaded.first().first().toBool())
            return false;
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            return true;
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }
};

inline QString cell(const thornvale::Form1 &form, int row, int column)
{
    return ui(form).LV->model()->index(row, column).data().toString();
}

inline int rowCount(const thornvale::Form1 &form)
{
    return ui(form).LV->model()->rowCount();
}

inline thornvale::ResultModel *model(thornvale::Form1 &form)
{
    return qobject_cast<thornvale::ResultModel *>(ui(form).LV->model());
}

inline void selectRow(thornvale::Form1 &form, int row)
{
    ui(form).LV->selectionModel()->select(
        ui(form).LV->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The message box on top, if any.
inline QMessageBox *openMessageBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

} // namespace uitest
