#pragma once

#include <QHashFunctions>
#include <QUuid>

// What the sidebar has selected: one host block (by id) or one of the fixed tool entries.
struct SidebarItem {
    enum class Kind {
        host,
        knownHosts,
        sshKeys,
        scripts
    };

    Kind kind = Kind::host;
    QUuid hostId; // only for Kind::host

    static SidebarItem host(const QUuid &id)
    {
        return {Kind::host, id};
    }
    static SidebarItem knownHosts()
    {
        return {Kind::knownHosts, {}};
    }
    static SidebarItem sshKeys()
    {
        return {Kind::sshKeys, {}};
    }
    static SidebarItem scripts()
    {
        return {Kind::scripts, {}};
    }

    bool isHost() const
    {
        return kind == Kind::host;
    }

    friend bool operator==(const SidebarItem &, const SidebarItem &) = default;
    friend size_t qHash(const SidebarItem &item, size_t seed = 0)
    {
        return qHashMulti(seed, int(item.kind), item.hostId);
    }
};
