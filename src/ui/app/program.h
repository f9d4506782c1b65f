#pragma once

#include "app/prompts.h"
#include "model/opencollection.h"
#include "settings/settings.h"

#include <QString>

#include <functional>
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
class VerifyWindow;
class SearchWindow;
class IsItNewWindow;
class FindDuplicatesWindow;
class PublishDialog;

// The program's windows, created once in their fixed order and wired together.
class Program {
public:
    // Settings come from the per-user store at `settingsPath` (the usual place when empty).
    explicit Program(const QString& pictureFolder, std::unique_ptr<Prompts> prompts = nullptr,
                     const QString& settingsPath = QString());
    ~Program();

    Prompts& prompts() { return *m_prompts; }
    OpenCollection& collection() { return m_collection; }
    TForm1& main() { return *m_main; }
    TForm2& solve() { return *m_solve; }
    TForm3& list() { return *m_list; }
    TForm4& fairy() { return *m_fairy; }
    TForm5& clipboard() { return *m_clipboard; }
    TForm6& options() { return *m_options; }
    TDataModule1& data() { return *m_data; }
    TForm7& diagrams() { return *m_diagrams; }
    VerifyWindow& verify() { return *m_verify; }
    SearchWindow& search() { return *m_search; }
    IsItNewWindow& isItNew() { return *m_isItNew; }
    FindDuplicatesWindow& findDuplicates() { return *m_findDuplicates; }
    // The collections that "Is it new?" and "Find duplicates" search besides the open one.
    void setSearchedFiles(std::function<QStringList()> files)
    {
        m_searchedFiles = std::move(files);
    }
    PublishDialog& publish() { return *m_publish; }

private:
    std::unique_ptr<Prompts> m_prompts;
    Settings m_settings; // filled and edited by the options window, read by all
    OpenCollection m_collection;
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_solve;
    std::unique_ptr<TForm3> m_list;
    std::unique_ptr<TForm4> m_fairy;
    std::unique_ptr<TForm5> m_clipboard;
    std::unique_ptr<TForm6> m_options;
    std::unique_ptr<TForm7> m_diagrams;
    std::unique_ptr<TDataModule1> m_data;
    std::unique_ptr<VerifyWindow> m_verify;
    std::unique_ptr<SearchWindow> m_search;

    std::unique_ptr<IsItNewWindow> m_isItNew;
    std::unique_ptr<FindDuplicatesWindow> m_findDuplicates;
    std::function<QStringList()> m_searchedFiles;

    void buildVerifyWindow();
    void buildSearchWindow(const QString& settingsPath);
    void buildDuplicateWindows();
    std::unique_ptr<PublishDialog> m_publish;

    void buildPublishDialog();
    void showVerifyWindow(const QList<int>& selection);
};

} // namespace vexil
