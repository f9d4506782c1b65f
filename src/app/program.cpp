#include "app/program.h"

#include "app/datamodule.h"
#include "app/fairy.h"
#include "app/idgr.h"
#include "output/copyd.h"
#include "settings/option.h"
#include "solve/popeye.h"
#include "views/list.h"
#include "views/listd.h"

namespace vexil {

Program::Program(const QString& pictureFolder, std::unique_ptr<Prompts> prompts)
    : m_prompts(prompts ? std::move(prompts) : std::make_unique<Prompts>())
{
    // The settings record must outlive every reader, so its owner is made first; it has no
    // parent, as it always opens centred on the screen. The other windows come up in the
    // program's order: main, solve, list, fairy, clipboard, list of diagrams, data module.
    m_options = std::make_unique<TForm6>();
    m_main = std::make_unique<TForm1>(*m_prompts, m_options->settings(), pictureFolder);
    m_solve = std::make_unique<TForm2>(m_main.get());
    m_list = std::make_unique<TForm3>(m_main.get());
    m_fairy = std::make_unique<TForm4>(m_main.get());
    m_clipboard = std::make_unique<TForm5>(m_main.get());
    m_diagrams = std::make_unique<TForm7>(m_main.get());
    m_data = std::make_unique<TDataModule1>(*m_prompts);

    m_list->setEntryText([this](int number) { return m_main->entryText(number); });
    m_main->setListWindow(m_list.get());
    m_main->setPbmImport([this](QWidget* parent, const QString& name) {
        return m_data->ImportPbm(parent, name);
    });
}

Program::~Program()
{
    // Child windows go before their parent; the settings owner goes last.
    m_data.reset();
    m_diagrams.reset();
    m_clipboard.reset();
    m_fairy.reset();
    m_list.reset();
    m_solve.reset();
    m_main.reset();
    m_options.reset();
}

} // namespace vexil
