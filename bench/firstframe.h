#pragma once
// Watches the main screen for its first painted frame: the dialog, its curve
// (wavePic) and its table (table) have each had their paint event.

#include <QEvent>
#include <QSet>
#include <QWidget>
#include <functional>

class CFirstFrameWatch : public QObject {
public:
    // done runs once, right after the paint that completed the frame.
    explicit CFirstFrameWatch(QWidget *screen, std::function<void()> done = nullptr) : m_done(std::move(done))
    {
        m_unpainted << screen;
        for (const char *name : {"wavePic", "table"}) {
            if (QWidget *w = screen->findChild<QWidget *>(QLatin1String(name)))
                m_unpainted << w;
        }
        for (QObject *o : qAsConst(m_unpainted))
            o->installEventFilter(this);
    }

    bool painted() const { return m_unpainted.isEmpty(); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_unpainted.remove(watched)) {
            watched->removeEventFilter(this);
            if (m_unpainted.isEmpty() && m_done)
                m_done();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSet<QObject *> m_unpainted;
    std::function<void()> m_done;
};
