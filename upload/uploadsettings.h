#pragma once
// Where the instrument sends its tests and whom it trusts there.
//
// The address and the CA certificate come from the command line
// (--archive-url, --archive-ca), else from ZPVW_ARCHIVE_URL and
// ZPVW_ARCHIVE_CA, else from "archive-upload.ini" in the application folder:
//
//     [archive]
//     url=https://archive.example:8443
//     ca=/etc/zpvw/archive-ca.pem
//
// No address anywhere: nothing is sent and nothing is shown.

#include <QString>
#include <QUrl>

struct UploadSettings {
    QUrl url;       // https://HOST:PORT (a path below it is kept)
    QString caFile; // empty: the system's CA certificates
    bool enabled() const { return url.isValid() && !url.isEmpty(); }
};

QString uploadSettingsPath(const QString &appDir);

// False with a reason when an address is given but is no https:// address,
// or the CA file named cannot be read.
bool resolveUploadSettings(const QString &optionUrl, const QString &optionCa, const QString &appDir,
                           UploadSettings *out, QString *error);
