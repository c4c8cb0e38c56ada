#include "link/PortDiagnosis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "i18n/PortTexts.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PortDiagnosis {

namespace {

QString presentList(const QList<SerialDevice>& present, LanguageId language) {
    if (present.isEmpty()) return portText(PortText::NoDevicesPresent, language);
    QStringList names;
    for (const SerialDevice& d : present) {
        names << (d.description.isEmpty() ? d.name() : QStringLiteral("%1 (%2)").arg(d.name(), d.description));
    }
    return portText(PortText::DevicesPresent, language).arg(names.join(QStringLiteral(", ")));
}

}  // namespace

QString reason(const SerialLink::OpenFailure& failure, const QList<SerialDevice>& present, LanguageId language) {
    int e = failure.error;
    // No error number from the port (a backend that cannot tell): a missing node says enough.
    if (e == 0 && !failure.device.isEmpty() && !QFileInfo::exists(failure.device)) e = ENOENT;
    if (failure.device.isEmpty()) {
        return portText(PortText::NothingAtNumber, language).arg(failure.portNumber) + QLatin1Char(' ') +
               presentList(present, language);
    }
    if (e == ENOENT || e == ENODEV || e == ENXIO) {
        return portText(PortText::DeviceMissing, language).arg(failure.device) + QLatin1Char(' ') +
               presentList(present, language);
    }
    if (e == EACCES || e == EPERM) {
        return portText(PortText::PermissionDenied, language).arg(failure.device, groupOf(failure.device));
    }
    if (e == EBUSY) {
        const QStringList holders = holdersOf(failure.device);
        if (holders.isEmpty()) return portText(PortText::Busy, language).arg(failure.device);
        return portText(PortText::BusyBy, language).arg(failure.device, holders.join(QStringLiteral(", ")));
    }
    return portText(PortText::OtherError, language)
        .arg(failure.device, QString::fromLocal8Bit(e != 0 ? std::strerror(e) : "?"));
}

QStringList holdersOf(const QString& device) {
    QStringList out;
#ifdef Q_OS_LINUX
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty()) return out;
    const QString self = QString::number(::getpid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || pid.isEmpty() || !pid.front().isDigit()) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        // Other users' descriptors cannot be read; what can be seen is named.
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() != target) continue;
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            const QString name =
                comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            out << QStringLiteral("%1 (%2)").arg(name.isEmpty() ? QStringLiteral("?") : name, pid);
            break;
        }
    }
#else
    Q_UNUSED(device);
#endif
    return out;
}

QString groupOf(const QString& device) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) return QStringLiteral("?");
    group g{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(st.st_gid, &g, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(st.st_gid);
#else
    Q_UNUSED(device);
    return QStringLiteral("?");
#endif
}

QString itemSuffix(const PortMapping::Assignment& assignment, LanguageId language) {
    if (!assignment.present) return portText(PortText::NothingConnected, language);
    QString name = assignment.device.path.isEmpty() ? assignment.openPath : assignment.device.path;
    if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
    if (assignment.device.description.isEmpty()) return name;
    return name + QStringLiteral(" · ") + assignment.device.description;
}

}  // namespace PortDiagnosis
