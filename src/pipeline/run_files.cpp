#include "pipeline/run_files.hpp"

#include "core/folder_lock.hpp"
#include "model/control_names.hpp"
#include "model/parameter_file.hpp"
#include "objects/work_file_names.hpp"
#include "plugin/header_record.hpp"

namespace brackwyn {

void CheckRunFiles(RunContext& run) {
  const RunParameters& p = run.state.parameters;
  const WindowModel& window = run.window;
  OutputCheck& files = run.state.files;
  files = OutputCheck();
  files.AddAll(run.state.frontEndFiles);
  auto input = [&](const char* role, const std::string& name) {
    if (!name.empty())
      files.AddInput(role, run.state.resolve(name));
  };
  input("coast height bitmap (txtBitmapCoast)", p.coastBitmapName);
  input("interior height bitmap (txtBitmapInterior)", p.interiorBitmapName);
  input("mountain height bitmap (txtBitmapMountain)", p.mountainBitmapName);
  if (p.useHeightmap)
    input("heightmap file (txtHeightmap)", p.heightmapName);
  if (window.state(control::chkCreateObjects) != 0)
    input("object index file (txtObjectIndex)", p.objectIndexName);
  if (window.state(control::chkCreateTextures) != 0)
    input("texture index file (txtTextureIndex)", window.text(control::txtTextureIndex));
  // Read for its length, or created empty when missing: the plugin may never
  // take its name either way.
  MasterNameInPlugin(p.masterFileName);
  input("master file (txtESM)", p.masterFileName);
  // Whether or not this run loaded it, it holds the modder's settings.
  input("parameter file", kParameterFileName);

  for (std::string_view name : kWorkFileNames)
    files.AddOutput("work file", run.state.resolve(name));
  files.AddOutput("lock file of the working folder", run.state.resolve(kFolderLockFileName));
  // Last, so that a clash names it first: it is the name a modder types.
  files.AddReplacedOutput("plugin file (txtESP)", run.state.resolve(p.pluginFileName));
  files.Check();
}

}  // namespace brackwyn
