#include "EngineTest.h"
#include "engine/SSHConfigModel.h"

#include <QtTest>

#include <sys/stat.h>

class TestSSHConfigModel : public QObject
{
    Q_OBJECT
private slots:
    void addSaveDuplicate();
    void editorWrites();
    void unreadableFileIsNeverOverwritten();
    void outsideChanges();
};

void TestSSHConfigModel::addSaveDuplicate()
{
    // First start: no folder, no file; the save makes both private, with nothing to back up.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"home/.ssh/config"_s);
    SSHConfigModel model(path);
    QVERIFY(model.blocks().isEmpty() && !model.isDirty() && !model.errorMessage());
    const auto web = model.addBlock(u"  web\u00A0 "_s);
    QVERIFY(web && model.isDirty());
    model.save();
    QVERIFY(!model.errorMessage() && !model.isDirty());
    QCOMPARE(readFile(path), "Host web\n");
    QVERIFY(modeOf(dir.filePath(u"home/.ssh"_s)) == 0700 && modeOf(path) == 0600);
    QCOMPARE(QDir(dir.filePath(u"home/.ssh"_s)).entryList(QDir::Files), QStringList{u"config"_s});

    // Names are trimmed; a taken or blank one is refused, another letter case is not.
    for (const QString &refused : {u"web"_s, u" \t\u3000"_s, QString()})
        QCOMPARE(model.addBlock(refused), std::nullopt);
    QVERIFY(model.addBlock(u"Web"_s));

    // A copy goes right after its source, numbered once "-copy" is taken.
    for (int i = 0; i < 3; ++i) {
        const auto copy = model.duplicateBlock(*web);
        QVERIFY(copy && model.blocks().at(1).id == *copy);
    }
    model.duplicateBlock(model.blocks().at(3).id);
    QCOMPARE(describe(model.blocks()), u"web{} web-copy3{} web-copy2{} web-copy{} web-copy-copy{} Web{}"_s);

    // Unknown ids change nothing.
    const QList<HostBlock> before = model.blocks();
    model.save();
    QSignalSpy spy(&model, &SSHConfigModel::blocksChanged);
    model.removeBlock(QUuid::createUuid());
    QCOMPARE(model.duplicateBlock(QUuid::createUuid()), std::nullopt);
    QVERIFY(model.blocks() == before && !model.isDirty() && spy.isEmpty());
}

void TestSSHConfigModel::editorWrites()
{
    QTemporaryDir dir;
    const QString path = configIn(dir, "Host a\nUser x\n");
    SSHConfigModel model(path);
    const QUuid id = model.blocks().at(0).id;
    QSignalSpy changed(&model, &SSHConfigModel::blockChanged);
    QSignalSpy list(&model, &SSHConfigModel::blocksChanged);

    // The same value once trimmed, or an empty one for an absent option, is no edit.
    model.setOption(id, u"User"_s, u" \tx\u00A0"_s);
    model.setOption(id, u"Port"_s, u"  "_s);
    QVERIFY(!model.isDirty() && changed.isEmpty());
    model.setOption(id, u"User"_s, u" root "_s);
    QCOMPARE(model.blocks().at(0).value(u"User"), u"root"_s);
    QVERIFY(changed.size() == 1 && changed.at(0).at(0).value<QUuid>() == id);
    model.setOption(id, u"User"_s, QString());
    QCOMPARE(model.blocks().at(0).value(u"User"), std::nullopt);
    model.setPattern(id, u" b "_s);
    QVERIFY(model.blocks().at(0).pattern == u" b "_s && list.isEmpty());

    // A line break typed into a value reaches the writer, which refuses it.
    model.setOption(id, u"ProxyCommand"_s, u"nc %h\nHost evil"_s);
    model.save();
    QVERIFY(model.errorMessage() && model.errorMessage()->contains(u"ProxyCommand"_s) && model.isDirty());
    QCOMPARE(readFile(path), "Host a\nUser x\n");
    // A load drops the unsaved edits.
    model.load();
    QVERIFY(describe(model.blocks()) == u"a{User=x}"_s && !model.isDirty());
}

void TestSSHConfigModel::unreadableFileIsNeverOverwritten()
{
    QTemporaryDir dir;
    const QByteArray invalid = "Host a\nUser \xff\xfe\n";
    const QString path = configIn(dir, invalid);
    SSHConfigModel model(path);
    QVERIFY(model.blocks().isEmpty());
    QVERIFY(model.errorMessage() && model.errorMessage()->startsWith(u"Cannot read "_s + path + u": "_s));

    model.setErrorMessage(std::nullopt);
    model.addBlock(u"b"_s);
    model.save();
    QVERIFY(model.errorMessage() && model.isDirty());
    QCOMPARE(readFile(path), invalid);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"config"_s});

    // A good load lifts the refusal; a load does not clear an earlier error.
    writeFile(path, "Host a\n");
    model.load();
    QVERIFY(model.errorMessage());
    model.setErrorMessage(std::nullopt);
    model.addBlock(u"b"_s);
    model.save();
    QCOMPARE(readFile(path), "Host a\n\nHost b\n");

    // A FIFO in its place is refused at once rather than blocking the load.
    QVERIFY(QFile::remove(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    SSHConfigModel fifo(path);
    QVERIFY(fifo.errorMessage() && fifo.errorMessage()->startsWith(u"Cannot read "_s + path));
}

void TestSSHConfigModel::outsideChanges()
{
    QTemporaryDir dir;
    const QString path = configIn(dir, "Host a\n");
    SSHConfigModel model(path);
    QSignalSpy reloaded(&model, &SSHConfigModel::reloadedFromDisk);

    // Our own save is no outside change; a touch that keeps the content is none either.
    model.addBlock(u"b"_s);
    model.save();
    QVERIFY(!model.isChangedOnDisk());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(!model.isChangedOnDisk());

    // Without edits the model reloads by itself, also when the file is replaced by a rename.
    writeFile(dir.filePath(u"config.new"_s), "Host a\n\nHost b\n\nHost c\n");
    QVERIFY(::rename(QFile::encodeName(dir.filePath(u"config.new"_s)).constData(), QFile::encodeName(path).constData())
            == 0);
    QTRY_COMPARE(describe(model.blocks()), u"a{} b{} c{}"_s);
    QVERIFY(reloaded.size() == 1 && !model.isDirty() && !model.hasOutsideChange());

    // With edits it waits for the user; keeping them still leaves the file changed on disk.
    model.setOption(model.blocks().at(0).id, u"User"_s, u"mine"_s);
    writeFile(path, "Host theirs\n");
    QTRY_VERIFY(model.hasOutsideChange());
    QVERIFY(reloaded.size() == 1 && model.blocks().at(0).value(u"User") == u"mine"_s);
    model.keepMine();
    QVERIFY(!model.hasOutsideChange() && model.isChangedOnDisk());
    // Something else in the folder changing does not bring the kept change back; a newer one does.
    writeFile(dir.filePath(u"known_hosts"_s), "h ssh-ed25519 AAAA\n");
    QTest::qWait(400);
    QVERIFY(!model.hasOutsideChange());
    writeFile(path, "Host theirs\n\nHost again\n");
    QTRY_VERIFY(model.hasOutsideChange());
    model.keepMine();
    model.save();
    QVERIFY(!model.isChangedOnDisk() && !model.hasOutsideChange());
    QVERIFY(readFile(path).contains("User mine"));
}

QTEST_GUILESS_MAIN(TestSSHConfigModel)
#include "TestSSHConfigModel.moc"
