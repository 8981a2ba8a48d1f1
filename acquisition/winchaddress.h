#pragma once
// Where the winch link connects. The instrument build (CMake option
// ZPVW_INSTRUMENT_BUILD) knows the controller's fixed address on the
// instrument's private network; every other build knows only 127.0.0.1:5000,
// where zpvw-winchsim listens by default, and holds no private address at
// all. The environment variable ZPVW_WINCH or the option "--winch HOST:PORT"
// (the option wins) names another one. A malformed value is an error, never a
// silent fall-back to the built-in address.

#include <QString>
#include <QStringList>
#include <cstdint>

class QTextStream;

struct WinchAddress {
    QString host;
    quint16 port = 0;
    QString toString() const;
    bool operator==(const WinchAddress &o) const { return host == o.host && port == o.port; }
};

// Where zpvw-winchsim listens unless told otherwise: 127.0.0.1:5000.
WinchAddress simulatorWinchAddress();
// The address this build uses when nothing names one: the controller's on the
// instrument network in the instrument build, simulatorWinchAddress() in
// every other build.
WinchAddress builtInWinchAddress();

// Parses "HOST:PORT": an IPv4 address, a host name or a bracketed IPv6 address,
// and a decimal port from 1 to 65535 (0 too when allowZeroPort, for a server
// that lets the system choose). On failure *error says what is wrong.
bool parseWinchAddress(const QString &text, WinchAddress *out, QString *error, bool allowZeroPort = false);

// Result of looking at the environment and the argument list.
struct WinchAddressChoice {
    bool ok = true;
    bool overridden = false; // false: the built-in address applies
    WinchAddress address;
    QString error;
};
// Takes "--winch HOST:PORT" or "--winch=HOST:PORT" out of args (every
// occurrence; the last one counts) and decides the address: option, else the
// environment value envValue (ZPVW_WINCH; empty means unset), else built-in.
WinchAddressChoice chooseWinchAddress(QStringList &args, const QString &envValue);

// The address the application model connects to: the one installed by the
// program's option step (handleWinchOptions: the override or the built-in
// address). Without that step (tests, tools) only ZPVW_WINCH can name one, and
// without it, or with a malformed one, the host is empty and the link never
// connects: nothing but the program itself ever reaches the built-in address.
WinchAddress configuredWinchAddress();
void setConfiguredWinchAddress(const WinchAddress &address);
void clearConfiguredWinchAddress();

// The program's option step: applies chooseWinchAddress to args and the
// process environment. Returns -1 to go on, or 2 after writing the error to err.
int handleWinchOptions(QStringList &args, QTextStream &err);
