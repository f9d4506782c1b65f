// The main window's Browse/Edit state and how its fields hold an item, without widgets.

#include "model/itemeditor.h"

#include <QtTest>

using namespace vexil;

class TestItemEditor : public QObject {
    Q_OBJECT
private slots:
    void editOnlyWhileAnItemIsShown_data();
    void editOnlyWhileAnItemIsShown();
    void fieldsRoundTrip_data();
    void fieldsRoundTrip();
};

void TestItemEditor::editOnlyWhileAnItemIsShown_data()
{
    QTest::addColumn<bool>("itemShown");
    QTest::addColumn<bool>("editing");
    QTest::newRow("an item") << true << true;
    QTest::newRow("none, or the header item") << false << false;
}

void TestItemEditor::editOnlyWhileAnItemIsShown()
{
    QFETCH(bool, itemShown);
    QFETCH(bool, editing);
    ItemEditor editor;
    editor.show(Item{});
    editor.changed(itemShown);
    QCOMPARE(editor.isEditing(), editing);
    QCOMPARE(editor.stateText(), editing ? QStringLiteral("Edit") : QStringLiteral("Browse"));
    editor.stored();
    QVERIFY(!editor.isEditing());
    editor.changed(true);
    editor.showNone();
    QVERIFY(!editor.isEditing());
}

// An item shown and read back from its fields unchanged is the same item, the twins that are
// a single empty line included (the field shows them empty) until the field is typed in.
void TestItemEditor::fieldsRoundTrip_data()
{
    QTest::addColumn<QStringList>("twins");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QStringList>("readBack");
    QTest::addColumn<bool>("hasTwins");
    QTest::newRow("no twins") << QStringList() << false << QStringList() << false;
    QTest::newRow("one empty line") << QStringList{""} << false << QStringList{""} << true;
    QTest::newRow("empty line, field typed in")
        << QStringList{""} << true << QStringList{"b) Twin Move a1 b1"} << true;
    QTest::newRow("two twins") << QStringList{"b) Twin Move a1 b1", "c) Twin Cont Rotate 90"}
                               << false
                               << QStringList{"b) Twin Move a1 b1", "c) Twin Cont Rotate 90"}
                               << true;
}

void TestItemEditor::fieldsRoundTrip()
{
    QFETCH(QStringList, twins);
    QFETCH(bool, typed);
    QFETCH(QStringList, readBack);
    QFETCH(bool, hasTwins);
    Item item;
    item.board.at(0, 4) = 1;
    item.author = QStringLiteral("A. Author");
    item.source = QStringLiteral("Source 1990");
    item.stipulation = QStringLiteral("#2");
    item.condition = QStringLiteral("Circe");
    item.twins = twins;
    item.solution = QStringList{"1.Rb7! zz", "1...Kg8 2.Rb8#"};
    ItemEditor editor;
    ItemFields fields = editor.show(item);
    QCOMPARE(fields.twins, twins.join(u'\n'));
    QStringList twinLines = fields.twins.isEmpty() ? QStringList() : fields.twins.split(u'\n');
    if (typed) {
        fields.twins = readBack.join(u'\n');
        twinLines = readBack;
        editor.twinsChanged(false);
    }
    QCOMPARE(editor.hasTwins(fields.twins.isEmpty()), hasTwins);
    Item back = editor.item(item.board, fields, twinLines, fields.solution.split(u'\n'));
    QCOMPARE(back.twins, readBack);
    back.twins = item.twins;
    QCOMPARE(back, item);
}

QTEST_GUILESS_MAIN(TestItemEditor)
#include "tst_itemeditor.moc"
