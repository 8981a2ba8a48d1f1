#pragma once
// The main screen's upload strip (the message bar under the test's facts):
// how many tests wait for the archive, that all are there, or why the last
// try failed, in the operator's language. Hidden while no archive address
// is set (the strip is then never made).

#include <QObject>

class QLabel;
class CUploadSender;
struct UploadStatus;

class CUploadStrip : public QObject {
    Q_OBJECT
public:
    CUploadStrip(QLabel *label, CUploadSender *sender);
    // The strip's words for a status (tests read them).
    static QString text(const UploadStatus &status);

private:
    void show();
    QLabel *m_label;
    CUploadSender *m_sender;
};
