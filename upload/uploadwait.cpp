#include "uploadwait.h"

bool uploadWaitOver(int waiting, const UploadStatus &status)
{
    if (waiting == 0)
        return true;
    switch (status.failure) {
    case UploadStatus::Refused:
    case UploadStatus::Rejected:
    case UploadStatus::Secure:
    case UploadStatus::Unreadable:
        return true;
    case UploadStatus::None:
    case UploadStatus::Unreachable:
    case UploadStatus::ServerFault:
    case UploadStatus::BadAnswer:
        break;
    }
    return false;
}

QString uploadFailureWords(UploadStatus::Failure failure)
{
    switch (failure) {
    case UploadStatus::None:
        break;
    case UploadStatus::Unreachable:
        return QStringLiteral("the archive cannot be reached");
    case UploadStatus::Secure:
        return QStringLiteral("the archive's certificate is not trusted");
    case UploadStatus::Refused:
        return QStringLiteral("the archive refused this instrument");
    case UploadStatus::Rejected:
        return QStringLiteral("the archive refused the test's files");
    case UploadStatus::ServerFault:
        return QStringLiteral("the archive server failed");
    case UploadStatus::BadAnswer:
        return QStringLiteral("the archive's answer was not correct");
    case UploadStatus::Unreadable:
        return QStringLiteral("a queued file cannot be read");
    }
    return QStringLiteral("no answer yet");
}

QString uploadWaitLine(const QString &test, const QString &archive, int waiting, const UploadStatus &status)
{
    if (waiting == 0)
        return QStringLiteral("uploaded: %1 to %2").arg(test, archive);
    QString why = uploadFailureWords(status.failure);
    if (status.failure != UploadStatus::None && !status.detail.trimmed().isEmpty())
        why += QStringLiteral(": ") + status.detail.simplified();
    return QStringLiteral("still queued: %1 (%2 waiting for %3): %4").arg(test, QString::number(waiting), archive, why);
}
