#include "winchaddress.h"

#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTextStream>
#include <QtDebug>

namespace {
const char kEnvName[] = "ZPVW_WINCH";
const char kOption[] = "--winch";

QMutex gAddressLock; // guards the two values below
bool gHaveConfigured = false;
WinchAddress gConfigured;

bool isHostName(const QString &host)
{
    static const QRegularExpression re(
        QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    return host.size() <= 253 && re.match(host).hasMatch();
}

bool looksLikeIpv4(const QString &host)
{
    static const QRegularExpression re(QStringLiteral("^[0-9.]+$"));
    return re.match(host).hasMatch();
}
}

QString WinchAddress::toString() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

WinchAddress simulatorWinchAddress() { return {QStringLiteral("127.0.0.1"), 5000}; }

WinchAddress builtInWinchAddress()
{
#ifdef ZPVW_INSTRUMENT_WINCH
    // Only the instrument build carries the controller's network address.
    WinchAddress a;
    QString why;
    if (parseWinchAddress(QStringLiteral(ZPVW_INSTRUMENT_WINCH), &a, &why))
        return a;
    qWarning().noquote() << "the instrument's winch address" << ZPVW_INSTRUMENT_WINCH << "is invalid:" << why;
    return WinchAddress();
#else
    return simulatorWinchAddress();
#endif
}

bool parseWinchAddress(const QString &text, WinchAddress *out, QString *error, bool allowZeroPort)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return fail(QStringLiteral("expected HOST:PORT"));
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
        QHostAddress a;
        if (!a.setAddress(host) || a.protocol() != QAbstractSocket::IPv6Protocol)
            return fail(QStringLiteral("\"%1\" is not an IPv6 address").arg(host));
    } else if (host.isEmpty()) {
        return fail(QStringLiteral("the host is missing"));
    } else if (looksLikeIpv4(host)) {
        QHostAddress a;
        if (!a.setAddress(host) || a.protocol() != QAbstractSocket::IPv4Protocol
            || host.count(QLatin1Char('.')) != 3)
            return fail(QStringLiteral("\"%1\" is not an IPv4 address").arg(host));
    } else if (!isHostName(host)) {
        return fail(QStringLiteral("\"%1\" is not a host name").arg(host));
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(portText).hasMatch())
        return fail(QStringLiteral("the port \"%1\" is not a number").arg(portText));
    const int port = portText.toInt();
    if (port > 65535 || (port == 0 && !allowZeroPort))
        return fail(QStringLiteral("the port %1 is out of range (1 to 65535)").arg(port));
    if (out) {
        out->host = host;
        out->port = quint16(port);
    }
    return true;
}

WinchAddressChoice chooseWinchAddress(QStringList &args, const QString &envValue)
{
    WinchAddressChoice c;
    bool optionSeen = false;
    QString optionValue;
    bool optionMissingValue = false;
    const QString eqPrefix = QLatin1String(kOption) + QLatin1Char('=');
    for (int i = 1; i < args.size();) {
        if (args.at(i) == QLatin1String(kOption)) {
            optionSeen = true;
            if (i + 1 < args.size()) {
                optionValue = args.at(i + 1);
                optionMissingValue = false;
                args.erase(args.begin() + i, args.begin() + i + 2);
            } else {
                optionMissingValue = true;
                args.removeAt(i);
            }
        } else if (args.at(i).startsWith(eqPrefix)) {
            optionSeen = true;
            optionValue = args.at(i).mid(eqPrefix.size());
            optionMissingValue = false;
            args.removeAt(i);
        } else {
            ++i;
        }
    }
    if (optionSeen) {
        c.overridden = true;
        QString why;
        if (optionMissingValue)
            why = QStringLiteral("the option needs a value HOST:PORT");
        if (optionMissingValue || !parseWinchAddress(optionValue, &c.address, &why)) {
            c.ok = false;
            c.error = QStringLiteral("invalid winch address \"%1\" in %2: %3")
                          .arg(optionValue, QLatin1String(kOption), why);
        }
        return c;
    }
    if (!envValue.isEmpty()) {
        c.overridden = true;
        QString why;
        if (!parseWinchAddress(envValue, &c.address, &why)) {
            c.ok = false;
            c.error = QStringLiteral("invalid winch address \"%1\" in %2: %3")
                          .arg(envValue, QLatin1String(kEnvName), why);
        }
        return c;
    }
    c.address = builtInWinchAddress();
    return c;
}

WinchAddress configuredWinchAddress()
{
    {
        QMutexLocker l(&gAddressLock);
        if (gHaveConfigured)
            return gConfigured;
    }
    const QString env = QProcessEnvironment::systemEnvironment().value(QLatin1String(kEnvName));
    if (env.isEmpty()) {
        qWarning("no winch address configured; the winch link stays off");
        return WinchAddress();
    }
    WinchAddress a;
    QString why;
    if (!parseWinchAddress(env, &a, &why)) {
        qWarning().noquote() << QStringLiteral("invalid winch address \"%1\" in %2: %3; the winch link stays off")
                                    .arg(env, QLatin1String(kEnvName), why);
        return WinchAddress();
    }
    return a;
}

void setConfiguredWinchAddress(const WinchAddress &address)
{
    QMutexLocker l(&gAddressLock);
    gConfigured = address;
    gHaveConfigured = true;
}

void clearConfiguredWinchAddress()
{
    QMutexLocker l(&gAddressLock);
    gConfigured = WinchAddress();
    gHaveConfigured = false;
}

int handleWinchOptions(QStringList &args, QTextStream &err)
{
    const QString env = QProcessEnvironment::systemEnvironment().value(QLatin1String(kEnvName));
    const WinchAddressChoice c = chooseWinchAddress(args, env);
    if (!c.ok) {
        err << "zpvw: " << c.error << '\n';
        err.flush();
        return 2;
    }
    setConfiguredWinchAddress(c.address);
    return -1;
}
