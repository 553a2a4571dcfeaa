#include "win32/folder_dialog.hpp"

#include <shobjidl.h>

#include "pipeline/working_folder.hpp"

namespace brackwyn::win32 {
namespace {

// Releases a COM object when it goes out of scope.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (object_ != nullptr)
      object_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  Interface* get() const { return object_; }
  Interface** put() { return &object_; }
  Interface* operator->() const { return object_; }

 private:
  Interface* object_ = nullptr;
};

}  // namespace

std::optional<std::filesystem::path> AskForFolder(HWND owner,
                                                  const std::filesystem::path& current) {
  ComRef<IFileOpenDialog> dialog;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, reinterpret_cast<void**>(dialog.put()))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(L"Open Folder");
  ComRef<IShellItem> start;
  std::wstring startText = AbsoluteFolder(current).wstring();
  if (SUCCEEDED(::SHCreateItemFromParsingName(startText.c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(start.put()))))
    dialog->SetFolder(start.get());
  if (FAILED(dialog->Show(owner)))
    return std::nullopt;  // cancelled
  ComRef<IShellItem> chosen;
  if (FAILED(dialog->GetResult(chosen.put())))
    return std::nullopt;
  PWSTR text = nullptr;
  if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &text)))
    return std::nullopt;
  std::filesystem::path folder(text);
  ::CoTaskMemFree(text);
  return folder;
}

}  // namespace brackwyn::win32
