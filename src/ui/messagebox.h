#pragma once

#include <QMessageBox>

namespace thornvale {

// The window's message boxes: one OK button, a blank title bar, modal, gone when closed. Qt puts
// the application's name into a title bar whose title is empty, and no public call stops it; a
// single space is blank on every window system.
inline QMessageBox *makeMessageBox(
    QMessageBox::Icon icon, const QString &text, const char *name, QWidget *parent)
{
    auto *box = new QMessageBox(icon, QStringLiteral(" "), text, QMessageBox::Ok, parent);
    box->setObjectName(QLatin1String(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

} // namespace thornvale
