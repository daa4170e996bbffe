#pragma once

// What the window tests share: a site-sim on loopback, a window pointed at it, and small readers.

#include <QAbstractItemModel>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <source_location>
#include <string>

#include "form1controls.h"
#include "qtbridge/qtbridge.h"
#include "site-sim/sitesim.h"
#include "support/sitesimfixture.h"
#include "support/utf8.h"
#include "ui/form1.h"
#include "ui/resultmodel.h"

namespace uitest {

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
    std::optional<Form1Controls> ui; // found once for each window make() makes

    bool start(bool load = true)
    {
        site = thornvale::test::StartSiteSim();
        if (!site)
            return false;
        make(configFor(*site));
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

    thornvale::Form1 &make(const thornvale::SiteConfig &config)
    {
        form = std::make_unique<thornvale::Form1>(config);
        ui.emplace(*form);
        return *form;
    }

    // The window first: it may still be talking to the site.
    void reset()
    {
        ui.reset();
        form.reset();
        site.reset();
    }

    // A missing or disabled item fails the test at the caller's line, by its name, instead of
    // crashing on a null action or silently doing nothing.
    void triggerAction(const QString &name, std::source_location at = std::source_location::current()) const
    {
        QAction *action = form->findChild<QAction *>(name);
        if (action && action->isEnabled())
            action->trigger();
        else
            QTest::qFail(qPrintable(QStringLiteral("action \"%1\" is %2")
                                        .arg(name, QLatin1String(action ? "disabled" : "missing"))),
                at.file_name(), int(at.line()));
    }

    QString cell(int row, int column) const { return ui->LV->model()->index(row, column).data().toString(); }
    int rowCount() const { return ui->LV->model()->rowCount(); }
    thornvale::ResultModel *model() const { return qobject_cast<thornvale::ResultModel *>(ui->LV->model()); }
    void selectRow(int row) const
    {
        ui->LV->selectionModel()->select(
            ui->LV->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

} // namespace uitest
