#include "app/program.h"

#include "app/datamodule.h"
#include "app/fairy.h"
#include "app/guard.h"
#include "app/idgr.h"
#include "duplicates/duplicateswindows.h"
#include "output/copyd.h"
#include "output/diagram.h"
#include "output/print.h"
#include "output/publishdialog.h"
#include "settings/option.h"
#include "settings/store.h"
#include "solve/popeye.h"
#include "views/list.h"
#include "views/listd.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "solve/popeyetext.h"
#include "verify/verifyresults.h"
#include "verify/verifyrunner.h"
#include "verify/verifywindow.h"
#include "search/searchwindow.h"
#include "output/diagram.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>

namespace vexil {
namespace {

// Keeps the main window's size across runs: applies the remembered one before the window is
// first shown, and stores the window's size when it is closed (hidden by the program, not
// minimized), if it changed.
class WindowSizeKeeper : public QObject {
public:
    WindowSizeKeeper(QWidget* window, std::unique_ptr<SettingsStore> store)
        : QObject(window), m_window(window), m_store(std::move(store))
    {
        const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
        m_kept = {window->size(), false};
        if (const std::optional<MainWindowSize> stored = LoadMainWindowSize(*m_store)) {
            const QSize fitted =
                FitWindowSize(stored->size, smallest, window->screen()->availableGeometry().size());
            window->resize(fitted);
            if (stored->maximized)
                window->setWindowState(window->windowState() | Qt::WindowMaximized);
            m_kept = {fitted, stored->maximized};
        }
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Hide && !event->spontaneous())
            keep();
        return false;
    }

private:
    void keep()
    {
        const bool maximized = m_window->isMaximized();
        const MainWindowSize now{maximized ? m_window->normalGeometry().size() : m_window->size(),
                                 maximized};
        // A window closed as it opened leaves the store alone.
        if (now == m_kept || now.size.isEmpty())
            return;
        if (SaveMainWindowSize(*m_store, now))
            m_kept = now;
    }

    QWidget* m_window;
    std::unique_ptr<SettingsStore> m_store;
    MainWindowSize m_kept;
};

} // namespace

Program::Program(const QString& pictureFolder, std::unique_ptr<Prompts> prompts,
                 const QString& settingsPath)
    : m_prompts(prompts ? std::move(prompts) : std::make_unique<Prompts>())
{
    m_main = std::make_unique<TForm1>(*m_prompts, m_settings, m_collection, pictureFolder);
    m_solve = std::make_unique<TForm2>(
        *m_prompts, m_settings, [this] { return m_main->fieldsItem(); }, m_main.get());
    m_solve->setShownNumber([this] { return m_collection.currentItem(); });
    m_list = std::make_unique<TForm3>(*m_prompts, m_collection, m_main.get());
    m_fairy = std::make_unique<TForm4>(m_main.get());
    m_clipboard = std::make_unique<TForm5>(*m_prompts, m_settings, *m_main);
    // The options window has no parent: it always opens centred on the screen.
    m_options = std::make_unique<TForm6>(
        *m_prompts, m_settings, OpenSettingsStore(settingsPath),
        LayoutWindows{m_main.get(), m_fairy.get(), m_list.get(), m_solve.get(), m_clipboard.get()});
    new WindowSizeKeeper(m_main.get(), OpenSettingsStore(settingsPath));
    m_diagrams = std::make_unique<TForm7>(m_collection, m_settings, m_main.get());
    m_data = std::make_unique<TDataModule1>(*m_prompts);

    // The solve window starts from the solver parameters of the settings, loaded above,
    // and takes them again whenever the options change them.
    const auto solverParameters = [this] {
        m_solve->setSolverParameters(m_settings.PopeyeMem, m_settings.SfTime, m_settings.SfThreads,
                                     m_settings.SfHash);
    };
    solverParameters();
    QObject::connect(m_options.get(), &TForm6::solverParametersChanged, m_solve.get(),
                     solverParameters);
    m_main->setOptionsWindow(m_options.get());
    m_main->setFairyDialog(m_fairy.get());
    m_main->setFileImport(
        [this](QWidget* parent, const QString& name) { return m_data->ImportFile(parent, name); });
    // The toolbar's "Solve" brings the solve window up as it was left; it fills nothing.
    QObject::connect(m_main->SpeedButton15, &QToolButton::clicked, m_solve.get(), [this] {
        m_solve->show();
        m_solve->raise();
        m_solve->activateWindow();
    });
    // Export and Print on the toolbar.
    QObject::connect(m_main->SpeedButton1, &QToolButton::clicked, m_clipboard.get(),
                     [this] { m_clipboard->Export(); });
    QObject::connect(m_main->SpeedButton21, &QToolButton::clicked, m_main.get(), [this] {
        Guarded(*m_prompts, m_main.get(), [this] { PrintItem(*m_main, *m_prompts, m_settings); });
    });

    // The views show an item through the main window, which asks about unsaved changes first.
    const ShowItemFunction showItem = [this](int number) { return m_main->askAndShowItem(number); };
    m_list->setShowItem(showItem);
    // The list of diagrams asked before it opened; the answer stands for the cell chosen.
    m_diagrams->setShowItem([this](int number) { return m_main->showChosenItem(number); });
    QObject::connect(m_main->SpeedButton23, &QToolButton::clicked, m_list.get(), [this] {
        if (!m_main->askToSaveChanges())
            return;
        m_list->show();
        m_list->raise();
        m_list->activateWindow();
    });
    QObject::connect(m_main->SpeedButton26, &QToolButton::clicked, m_diagrams.get(), [this] {
        if (!m_main->askToSaveChanges())
            return;
        m_diagrams->chooseItem();
    });
    buildVerifyWindow();
    buildSearchWindow(settingsPath);
    buildDuplicateWindows();
    // "Is it new?" and "Find duplicates" search the collections the search window lists.
    setSearchedFiles([this] { return m_search->otherCollections(); });
    buildPublishDialog();
}

void Program::buildDuplicateWindows()
{
    DuplicateSources sources;
    sources.collections = [this] {
        QStringList failures;
        QList<SearchedCollection> searched = CollectionsToSearch(
            m_collection.fileName(), m_collection.collection(), m_collection.currentItem(),
            m_searchedFiles ? m_searchedFiles() : QStringList(), &failures);
        if (!failures.isEmpty())
            m_prompts->showReport(m_main.get(), QStringLiteral("Collections not searched"),
                                  failures.join(QLatin1Char('\n')));
        return searched;
    };
    sources.shownItem = [this] { return m_main->fieldsItem(); };
    sources.showOpenItem = [this](int number) { return m_main->askAndShowItem(number); };
    sources.pictures = &m_main->pictures();
    sources.fairyPictures = &m_main->fairyPictures();
    m_isItNew = std::make_unique<IsItNewWindow>(*m_prompts, sources, m_main.get());
    m_findDuplicates =
        std::make_unique<FindDuplicatesWindow>(*m_prompts, m_collection, sources, m_main.get());
    QObject::connect(m_main->isNewButton, &QToolButton::clicked, m_isItNew.get(),
                     [this] { m_isItNew->search(); });
    QObject::connect(m_isItNew.get(), &IsItNewWindow::findDuplicatesRequested,
                     m_findDuplicates.get(), [this] { m_findDuplicates->find(); });
    auto* findKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7), m_main.get());
    QObject::connect(findKey, &QShortcut::activated, m_findDuplicates.get(),
                     [this] { m_findDuplicates->find(); });
}

void Program::buildPublishDialog()
{
    PublishSource source;
    source.shown = [this]() -> std::optional<std::pair<Item, int>> {
        if (m_collection.currentItem() <= 0)
            return std::nullopt;
        return std::pair{m_main->fieldsItem(), m_collection.currentItem()};
    };
    source.selected = [this] { return m_list->selectedNumbers(); };
    source.style = [this] {
        return DiagramStyle{m_settings.CopyCust ? CustomDiagramColours(m_settings)
                                                : StandardDiagramColours(),
                            FairyDrawing::Magazine, &m_main->pictures(), &m_main->fairyPictures()};
    };
    m_publish =
        std::make_unique<PublishDialog>(*m_prompts, m_collection, std::move(source), m_main.get());
    QObject::connect(m_main->PublishButton, &QToolButton::clicked, m_publish.get(),
                     [this] { m_publish->showFor(PublishRange::Shown); });
    QObject::connect(m_list.get(), &TForm3::publishSelectedRequested, m_publish.get(),
                     [this] { m_publish->showFor(PublishRange::Selected); });
}

void Program::buildVerifyWindow()
{
    // The verification reads the collection as stored, never the edits on screen.
    VerifySource source;
    source.itemCount = [this] { return m_collection.itemCount(); };
    source.itemInfo = [this](int number) {
        VerifyItemInfo info;
        if (const std::optional<Item> item = m_collection.itemOrNothing(number)) {
            info.author = item->author;
            info.stipulation = item->stipulation;
            info.solution = item->solution;
        }
        return info;
    };
    source.storedLines = [this](int number) {
        return StoredItemLines(m_collection.collection(), number);
    };
    source.popeyeInput = [this](int number) {
        return VerifyPopeyeText(m_collection.readItem(number), number, m_solve->programFolder());
    };
    source.positions = [this](int number) {
        const std::optional<Item> item = m_collection.itemOrNothing(number);
        return item ? BuildTwins(*item) : QList<Twin>();
    };
    source.solver = [this] { return VerifySolver{m_settings.PopeyeExe, m_settings.PopeyeMem}; };
    m_verify = std::make_unique<VerifyWindow>(*m_prompts, std::move(source), m_main.get());
    const auto followCollection = [this] {
        m_verify->setResultsFile(m_collection.isOpen() ? VerifyResultsPath(m_collection.fileName())
                                                       : QString());
        m_verify->itemsChanged();
    };
    QObject::connect(&m_collection, &OpenCollection::opened, m_verify.get(), followCollection);
    QObject::connect(&m_collection, &OpenCollection::itemsChanged, m_verify.get(),
                     [this] { m_verify->itemsChanged(); });
    QObject::connect(m_verify.get(), &VerifyWindow::showItemRequested, m_main.get(),
                     [this](int number) { m_main->askAndShowItem(number); });
    // Popeye's answer goes into the solution field for the user to check and save.
    QObject::connect(m_verify.get(), &VerifyWindow::copySolutionRequested, m_main.get(),
                     [this](int number, const QString& text) {
                         if (m_main->askAndShowItem(number))
                             m_main->Memo1->setPlainText(text);
                     });
    QObject::connect(m_solve.get(), &TForm2::verifyCollectionRequested, m_verify.get(),
                     [this] { showVerifyWindow({}); });
    QObject::connect(m_list.get(), &TForm3::verifySelectedRequested, m_verify.get(),
                     [this](const QList<int>& numbers) { showVerifyWindow(numbers); });
}

void Program::buildSearchWindow(const QString& settingsPath)
{
    m_search =
        std::make_unique<SearchWindow>(*m_prompts, OpenSettingsStore(settingsPath), m_main.get());
    m_search->setDiagram([this](const Board& board) {
        return DiagramBitmap(board, 25, StandardDiagramColours(), m_main->pictures(),
                             m_main->fairyPictures());
    });
    QObject::connect(&m_collection, &OpenCollection::opened, m_search.get(), [this] {
        m_search->setOpenCollection(m_collection.isOpen() ? m_collection.fileName() : QString());
    });
    // The open collection is what its file holds unless another program changed the file.
    m_search->setOpenCollectionSource([this]() -> std::optional<Collection> {
        if (!m_collection.isOpen() || m_collection.changedOnDisk())
            return std::nullopt;
        return m_collection.collection();
    });
    QObject::connect(m_search.get(), &SearchWindow::showItemRequested, m_main.get(),
                     [this](const QString& path, int number) {
                         if (m_collection.isOpenFile(path))
                             m_main->askAndShowItem(number);
                         else
                             m_main->askAndShowItemOf(path, number);
                     });
    const auto show = [this] { m_search->bringUp(); };
    QObject::connect(m_main->SearchButton, &QToolButton::clicked, m_search.get(), show);
    QObject::connect(new QShortcut(QKeySequence::Find, m_main.get()), &QShortcut::activated,
                     m_search.get(), show);
}

void Program::showVerifyWindow(const QList<int>& selection)
{
    if (!selection.isEmpty())
        m_verify->setSelection(selection);
    m_verify->show();
    m_verify->raise();
    m_verify->activateWindow();
}

Program::~Program()
{
    // Child windows go before their parent.
    m_search.reset();
    m_findDuplicates.reset();
    m_isItNew.reset();
    m_publish.reset();
    m_verify.reset();
    m_data.reset();
    m_diagrams.reset();
    m_options.reset();
    m_clipboard.reset();
    m_fairy.reset();
    m_list.reset();
    m_solve.reset();
    m_main.reset();
}

} // namespace vexil
