#pragma once

// Every Qt message while it lives, passed on to the handler before it as well, so a failing
// test still shows what the program said.

#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>

class MessageLog final {
public:
    MessageLog()
    {
        s_lines.clear();
        s_previous = qInstallMessageHandler(record);
    }
    ~MessageLog() { qInstallMessageHandler(s_previous); }
    Q_DISABLE_COPY_MOVE(MessageLog)

    QStringList lines() const { return s_lines; }
    // The program's own lines, "thornvale: ...".
    QStringList ours() const { return s_lines.filter(QRegularExpression(QStringLiteral("^thornvale: "))); }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        s_lines.append(message);
        s_previous(type, context, message);
    }
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};
