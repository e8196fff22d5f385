// What the main window's tests share: a fresh settings file per test, the file's text,
// controls found by their design names, and drops sent the way a file manager sends them.
#pragma once

#include "config/SettingWnd.h"
#include "config/SettingsStore.h"
#include "mainwnd/KryMain.h"
#include "tests/support/EveryArchiver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <functional>

namespace vexel::test {

inline QByteArray settingsText()
{
    QFile file(settingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeSettings(const QByteArray &lines)
{
    QDir().mkpath(QFileInfo(settingsFilePath()).path());
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Kry]\n" + lines);
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

template <typename W = QWidget>
W *control(const QWidget &wnd, const char *name)
{
    W *w = wnd.findChild<W *>(QString::fromLatin1(name));
    if (w == nullptr)
        qFatal("no control %s", name);
    return w;
}

inline QStringList entries(const QWidget &wnd)
{
    QStringList texts;
    auto *list = control<QListWidget>(wnd, "FileType");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

inline QList<bool> marks(const QWidget &wnd)
{
    QList<bool> checked;
    auto *list = control<QListWidget>(wnd, "FileType");
    for (int i = 0; i < list->count(); ++i)
        checked << (list->item(i)->checkState() == Qt::Checked);
    return checked;
}

// Sends a drag of `urls` over `target` and drops it; returns whether the drag was taken.
inline bool dropOn(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

// Clicks SettingShow (queued: the settings window is modal), hands the settings window to
// `answer` once it is shown (answer must close it) and waits until it is gone. False
// when no settings window appeared or it did not close within 10 s.
inline bool answerSettingWnd(KryMain &wnd, const std::function<void(SettingWnd &)> &answer)
{
    bool answered = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *settings = qobject_cast<SettingWnd *>(QApplication::activeModalWidget());
        if (answered || settings == nullptr || !settings->isVisible())
            return;
        answered = true;
        answer(*settings);
    });
    poll.start();
    QMetaObject::invokeMethod(
        &wnd, [&] { control<QPushButton>(wnd, "SettingShow")->click(); }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return answered && QApplication::activeModalWidget() == nullptr; },
                           10000);
}

} // namespace vexel::test
