#pragma once

#include <QHashFunctions>
#include <QString>
#include <QUuid>

// What the sidebar has selected: one host block (by id), a host of an included file (by its file
// and Host line: included blocks are read again after every load), or one of the fixed tool entries.
struct SidebarItem {
    enum class Kind {
        host,
        knownHosts,
        sshKeys,
        scripts,
        included
    };

    Kind kind = Kind::host;
    QUuid hostId; // only for Kind::host
    QString file; // only for Kind::included
    int line = 0;

    static SidebarItem host(const QUuid &id)
    {
        return {Kind::host, id, {}, 0};
    }
    static SidebarItem included(const QString &file, int line)
    {
        return {Kind::included, {}, file, line};
    }
    static SidebarItem knownHosts()
    {
        return {Kind::knownHosts, {}, {}, 0};
    }
    static SidebarItem sshKeys()
    {
        return {Kind::sshKeys, {}, {}, 0};
    }
    static SidebarItem scripts()
    {
        return {Kind::scripts, {}, {}, 0};
    }

    bool isHost() const
    {
        return kind == Kind::host;
    }
    bool isIncluded() const
    {
        return kind == Kind::included;
    }

    friend bool operator==(const SidebarItem &, const SidebarItem &) = default;
    friend size_t qHash(const SidebarItem &item, size_t seed = 0)
    {
        return qHashMulti(seed, int(item.kind), item.hostId, item.file, item.line);
    }
};
