// The three exception-window dialogs: the registration list, the pattern
// editor, and the list of windows open right now.
#pragma once

#include <string>
#include <vector>

#include "data/data_store.h"
#include "framework/dialog.h"
#include "monitor/window_source_win.h"

namespace sopora {

// CExceptWndEditDlg: one title pattern, typed by hand.
class CExceptWndEditDlg : public CDialog {
 public:
  CExceptWndEditDlg();
  void SetTitleText(const std::string& text) { m_text = text; }
  const std::string& GetTitleText() const { return m_text; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::string m_text;
};

// The two dialogs that show window titles in one sorted column: they differ
// only in where the titles come from.
class CTitleListDlg : public CDialog {
 protected:
  using CDialog::CDialog;
  BOOL OnInitDialog() override;
  virtual void LoadTitles(std::vector<ExceptWndEntry>& titles) = 0;
  // Replaces the lines with the titles loaded afresh.
  void FillList();

  HWND m_list = nullptr;
};

// CRunningAppsDlg: the titles of the open windows; returns the one chosen.
class CRunningAppsDlg : public CTitleListDlg {
 public:
  CRunningAppsDlg();
  const std::string& GetSelectedTitle() const { return m_result; }

 protected:
  void LoadTitles(std::vector<ExceptWndEntry>& titles) override;
  void OnOK() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  Win32WindowSource m_windows;
  std::string m_result;
};

// CExceptWndDlg: the registered patterns; its confirm button writes them.
class CExceptWndDlg : public CTitleListDlg {
 public:
  explicit CExceptWndDlg(const DataFilePaths& paths);

 protected:
  void LoadTitles(std::vector<ExceptWndEntry>& titles) override;
  void OnOK() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Writes the lines to the file; false, with the dialog left open and its
  // lines as they are, when the file was not written.
  bool SaveList();
  void AddEntryText(const std::string& text);
  // Asks the user in a message box owned by this dialog.
  int Ask(const Message& message, UINT buttons) const;
  void OnListRClick(int hitItem);
  void OnEditEntry();
  void OnAddManual();
  void OnAddRunning();
  void OnDeleteEntry();

  CDataStore m_store;
  bool m_loadFailed = false;  // the list shown is not the file's: saving replaces what the file holds
};

}  // namespace sopora
