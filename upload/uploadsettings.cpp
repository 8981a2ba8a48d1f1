#include "uploadsettings.h"

#include <QFileInfo>
#include <QSettings>

QString uploadSettingsPath(const QString &appDir) { return appDir + QStringLiteral("/archive-upload.ini"); }

bool resolveUploadSettings(const QString &optionUrl, const QString &optionCa, const QString &appDir,
                           UploadSettings *out, QString *error)
{
    const QSettings file(uploadSettingsPath(appDir), QSettings::IniFormat);
    auto pick = [&](const QString &option, const char *env, const QString &key) {
        if (!option.isEmpty())
            return option;
        const QString fromEnv = qEnvironmentVariable(env);
        return fromEnv.isEmpty() ? file.value(key).toString() : fromEnv;
    };
    const QString url = pick(optionUrl, "ZPVW_ARCHIVE_URL", QStringLiteral("archive/url"));
    const QString ca = pick(optionCa, "ZPVW_ARCHIVE_CA", QStringLiteral("archive/ca"));
    UploadSettings s;
    if (!url.isEmpty()) {
        s.url = QUrl(url, QUrl::StrictMode);
        if (!s.url.isValid() || s.url.scheme() != QLatin1String("https") || s.url.host().isEmpty()) {
            *error = QStringLiteral("archive address \"%1\": expected https://HOST[:PORT]").arg(url);
            return false;
        }
    }
    if (!ca.isEmpty() && !QFileInfo(ca).isReadable()) {
        *error = QStringLiteral("archive CA certificate \"%1\": cannot be read").arg(ca);
        return false;
    }
    s.caFile = ca;
    *out = s;
    return true;
}
