#pragma once

#include "core/Locations.h"
#include "engine/SSHConfigModel.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QStringList>
#include <QUuid>

class ConfigSources;
class InfoButton;
class KnownHostKeysRow;
class KnownHostsModel;
class KeywordCheck;
class SSHCheck;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;
struct HostBlock;

// The form that edits one host block: its alias and every option of the catalogue, grouped in
// sections, with the advanced options behind a toggle and unknown options under "Custom Options".
// An option ssh takes from every line gets one field per line. The rows are built once; choosing
// another block only refills their values. Every edit goes straight into the model.
class HostDetailView final : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostDetailView)
public:
    HostDetailView(SSHConfigModel *model, const Locations &locations, QWidget *parent = nullptr);

    QUuid blockId() const
    {
        return m_blockId;
    }
    // Binds the form to another block of the model; a new id hides the advanced options again.
    void setBlockId(const QUuid &id);

    bool showAdvanced() const
    {
        return m_showAdvanced;
    }
    void setShowAdvanced(bool show);

    // Shows under the alias how many known_hosts entries the host has, with a way to forget them.
    void setKnownHosts(KnownHostsModel *knownHosts, ConfigSources *sources);

    // Opens the add-option sheet for the bound block.
    void addCustomOption();
    // The custom option names listed, in their order on screen.
    QStringList customOptionNames() const
    {
        return m_customKeys;
    }

    // The text stored for a chosen private key file: the home directory becomes "~".
    static QString tildePath(const QString &path, const QString &homeDir);

    // What ssh said about option keywords this session; shared with the add-option sheet.
    KeywordCheck *keywordCheck() const
    {
        return m_keywords;
    }
    // Lists `name` in the bound block's IgnoreUnknown line, which comes first in the block so that
    // ssh reads it before the option: a new line, or the name added to the one there is.
    void ignoreUnknown(const QString &name);

private:
    // A line under a field: an icon and what ssh said, made when first needed.
    struct Note {
        QWidget *line = nullptr;
        QLabel *text = nullptr;
        bool shown() const;
    };
    // One value field of a row; an option ssh takes from every line gets one field per line.
    struct Field {
        QWidget *line = nullptr;
        QLineEdit *edit = nullptr;
        QToolButton *clear = nullptr;
        QToolButton *browse = nullptr;
    };
    struct OptionRow {
        QString key;
        bool repeats = false; // acceptsRepeats: one field per line, with an add button
        QWidget *row = nullptr;
        QLabel *label = nullptr;
        QVBoxLayout *column = nullptr; // the fields (or the picker), then the note on ignored lines
        QList<Field> fields; // none for a picker
        QComboBox *picker = nullptr;
        QToolButton *add = nullptr;
        QLabel *ignored = nullptr; // made when first needed
        Note unknown; // ssh does not know the keyword (custom options only)
        Note badValue; // ssh refused the value typed (custom options only)
        Note rejected; // ssh refused this option's line in the saved file
        QPointer<SSHCheck> valueCheck;
        InfoButton *info = nullptr;
        int lineHeight = 0;
        bool advanced = false;
        bool custom = false; // not in the catalogue
    };
    struct Section {
        QWidget *container = nullptr;
        QList<int> rows; // into m_rows
        bool hasCommon = false;
    };

    void buildForm();
    OptionRow makeRow(const QString &key, QWidget *parent);
    void addField(OptionRow &row);
    void dropField(OptionRow &row, qsizetype at);
    void nameFields(OptionRow &row);
    OptionRow *findRow(const QString &key);
    int labelColumnWidth() const;
    QWidget *makeSection(const QString &title, QWidget **box, QVBoxLayout **boxLayout);
    const HostBlock *block() const;
    void fieldEdited(const QString &key, QLineEdit *edit);
    void writeOption(const QString &key, const QString &text);
    void writeValues(const QString &key);
    void removeValue(const QString &key, QLineEdit *edit);
    void addValue(const QString &key);
    void fillRow(OptionRow &row, const HostBlock &b, bool force);
    void fillValues(OptionRow &row, const QStringList &values, bool force);
    void updateClearButtons(OptionRow &row, const HostBlock &b);
    void showIgnoredLines(OptionRow &row, qsizetype later);
    void showUnknownKeyword(OptionRow &row, const HostBlock &b);
    void checkValue(const QString &key);
    void showRejection();
    void setNote(Note &note, QWidget *parent, QVBoxLayout *column, const QString &name, const QString &text);
    // The field's accessible description: every note shown under it.
    void describe(OptionRow &row);
    void refill(bool force);
    void syncCustomSection();
    void chooseKeyFile(const QString &key, QLineEdit *edit);
    void updateTabOrder();
    // F1: the help of the row holding the focus.
    void showFocusedHelp();
    void onBlockChanged(const QUuid &id);

    SSHConfigModel *m_model;
    Locations m_locations;
    QUuid m_blockId;
    bool m_showAdvanced = false;

    QWidget *m_content = nullptr;
    mutable int m_labelWidth = 0;
    QLineEdit *m_aliasEdit = nullptr;
    InfoButton *m_aliasInfo = nullptr;
    QVBoxLayout *m_identityLayout = nullptr;
    Note m_aliasRejected;
    std::optional<SSHConfigModel::RejectedLine> m_rejectedLine;
    QString m_rejectedMessage;
    KeywordCheck *m_keywords;
    QList<OptionRow> m_rows;
    QHash<QString, int> m_rowIndex;
    QList<Section> m_sections;
    QWidget *m_customSection = nullptr;
    QVBoxLayout *m_customLayout = nullptr;
    QList<OptionRow> m_customRows;
    QStringList m_customKeys;
    // Names added through the sheet that have no value yet; they live only in the form until
    // a value is typed, so the file never gets an option line without an argument.
    QStringList m_pendingKeys;
    QToolButton *m_advancedButton = nullptr;
    QToolButton *m_addOptionButton = nullptr;
    KnownHostKeysRow *m_knownHostKeys = nullptr;
};
