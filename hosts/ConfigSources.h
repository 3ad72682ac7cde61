#pragma once

#include "core/Locations.h"
#include "engine/SSHResolver.h"

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class SSHConfigModel;

// What ssh reads besides the form's own blocks: the resolver over the config as edited, the host
// blocks of included files, and where each line stands, in words for the user. Built when first
// asked after a change; the included files are read again after each load of the config and when
// one of them, or a folder they lie in, changes on disk.
class ConfigSources final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConfigSources)
public:
    ConfigSources(SSHConfigModel *model, const Locations &locations, QObject *parent = nullptr);
    ~ConfigSources() override;

    const SSHResolver &resolver();
    const Locations &locations() const
    {
        return m_locations;
    }
    // The host blocks of included files, each once, in reading order. Follows loads, not keystrokes.
    const QList<IncludedHostBlock> &includedBlocks();
    const IncludedHostBlock *includedBlock(const QString &file, int line);

    // A file as the user knows it: relative to ~/.ssh inside it, with "~" for home elsewhere.
    QString displayPath(const QString &file) const;

    // The lines a block's options stand on: [first, last] in `file`.
    struct Span {
        QString file;
        int first = 0;
        int last = 0;
        bool contains(const ResolvedOption &option) const
        {
            return option.file == file && option.line >= first && option.line <= last;
        }
    };
    // The span of a block of the config (by index into the model's blocks) or of an included one.
    std::optional<Span> blockSpan(int blockIndex);
    Span includedSpan(const IncludedHostBlock &block);

    // Where a value comes from: "this host" inside `own`, "Host * — line 88" for another section
    // of the config, "config.d/work — line 4" for an included file.
    QString sourceText(const ResolvedOption &option, const std::optional<Span> &own);

signals:
    // The included blocks may have changed (the config was loaded, or its list of blocks changed).
    void includedChanged();
    // What ssh would take may have changed: any edit or load.
    void changed();

private:
    // A section of the config's text: the lines from its Host or Match line to the next one.
    struct Section {
        int line = 0; // its Host or Match line; 0 for the lines before the first
        QString label; // "Host *", "Match user git"
        int block = -1; // index into the model's blocks for a Host section
    };
    void invalidate(bool included);
    void build();
    void watchIncluded();
    const Section *sectionAt(int line) const;

    SSHConfigModel *m_model;
    Locations m_locations;
    std::unique_ptr<SSHResolver> m_resolver;
    QList<Section> m_sections;
    bool m_includedValid = false;
    QList<IncludedHostBlock> m_included;
    QFileSystemWatcher m_watcher;
    QTimer m_settle; // editors write in several steps: read once they are done
};
