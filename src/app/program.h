#pragma once

#include "app/prompts.h"

#include <QString>

#include <memory>

namespace vexil {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TDataModule1;

// The program's windows, created once in their fixed order and wired together.
class Program {
public:
    explicit Program(const QString& pictureFolder, std::unique_ptr<Prompts> prompts = nullptr);
    ~Program();

    Prompts& prompts() { return *m_prompts; }
    TForm1& main() { return *m_main; }
    TForm3& list() { return *m_list; }
    TForm6& options() { return *m_options; }
    TDataModule1& data() { return *m_data; }

private:
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<TForm6> m_options; // owns Settings, which the main window reads
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_solve;
    std::unique_ptr<TForm3> m_list;
    std::unique_ptr<TForm4> m_fairy;
    std::unique_ptr<TForm5> m_clipboard;
    std::unique_ptr<TForm7> m_diagrams;
    std::unique_ptr<TDataModule1> m_data;
};

} // namespace vexil
