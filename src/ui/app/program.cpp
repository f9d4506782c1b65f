#include "app/program.h"

#include "app/datamodule.h"
#include "app/fairy.h"
#include "app/guard.h"
#include "app/idgr.h"
#include "output/copyd.h"
#include "settings/option.h"
#include "settings/store.h"
#include "solve/popeye.h"
#include "views/list.h"
#include "views/listd.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QToolButton>
#include <QWindow>

namespace vexil {

Program::Program(const QString& pictureFolder, std::unique_ptr<Prompts> prompts,
                 const QString& settingsPath)
    : m_prompts(prompts ? std::move(prompts) : std::make_unique<Prompts>())
{
    m_main = std::make_unique<TForm1>(*m_prompts, m_settings, pictureFolder);
    m_solve = std::make_unique<TForm2>(m_main.get());
    m_list = std::make_unique<TForm3>(*m_prompts, m_collection, m_main.get());
    m_fairy = std::make_unique<TForm4>(m_main.get());
    m_clipboard = std::make_unique<TForm5>(m_main.get());
    // The options window has no parent: it always opens centred on the screen.
    m_options = std::make_unique<TForm6>(
        *m_prompts, m_settings, OpenSettingsStore(settingsPath), m_solve.get(),
        LayoutWindows{m_main.get(), m_fairy.get(), m_list.get(), m_solve.get(),
                      m_clipboard.get()});
    m_diagrams = std::make_unique<TForm7>(m_collection, m_settings, m_main.get());
    m_data = std::make_unique<TDataModule1>(*m_prompts);

    m_main->setOptionsWindow(m_options.get());
    m_main->setFairyDialog(m_fairy.get());
    m_main->setListWindow(m_list.get());
    m_main->setPbmImport([this](QWidget* parent, const QString& name) {
        return m_data->ImportPbm(parent, name);
    });

    // The views show an item through the main window, which asks about unsaved changes first.
    const ShowItemFunction showItem = [this](int number) {
        return Guarded(*m_prompts, m_main.get(), [&] {
            m_main->ConfirmSaveChanges();
            m_main->ShowItem(number, m_main->FindItemLine(number));
            followMainWindow();
        });
    };
    m_list->setShowItem(showItem);
    m_diagrams->setShowItem(showItem);
    QObject::connect(m_main->SpeedButton23, &QToolButton::clicked, m_list.get(), [this] {
        if (!Guarded(*m_prompts, m_main.get(), [&] { m_main->ConfirmSaveChanges(); }))
            return;
        followMainWindow();
        m_list->show();
        m_list->raise();
        m_list->activateWindow();
    });
    QObject::connect(m_main->SpeedButton26, &QToolButton::clicked, m_diagrams.get(), [this] {
        if (!Guarded(*m_prompts, m_main.get(), [&] { m_main->ConfirmSaveChanges(); }))
            return;
        followMainWindow();
        m_diagrams->chooseItem();
    });
    QObject::connect(m_main->Edit3, &QLineEdit::textChanged, m_list.get(),
                     [this] { followMainWindow(); });
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, m_list.get(),
                     [this](QWindow* window) {
                         if (window && window == m_list->windowHandle())
                             followMainWindow();
                     });
}

void Program::followMainWindow()
{
    Quietly([this] {
        const QString& name = m_main->collectionFileName();
        if (name.isEmpty()) {
            m_collection.close();
            return;
        }
        if (m_collection.fileName() != name || m_collection.changedOnDisk())
            m_collection.open(name);
        const int number = m_main->currentItem();
        if (number == m_collection.currentItem())
            return;
        if (number >= 1)
            m_collection.showItem(number, m_main->currentItemLine());
        else
            m_collection.showNone();
    });
}

Program::~Program()
{
    // Child windows go before their parent.
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
