#include "engine/CUninstallCommand.h"

#include "application/VApplication.h"
#include "engine/CInstallLog.h"
#include "engine/CInstalledProducts.h"
#include "engine/CProgramEntry.h"
#include "engine/CUnattendedInstallation.h"
#include "engine/CUninstallScript.h"
#include "engine/CUninstaller.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VString.h"

#include <cstdio>

using namespace VFoundation;

int CUninstallCommand::List() {
    CInstalledProducts::Print(stdout);
    std::fflush(stdout);
    return 0;
}

VRef<CUninstallScript> CUninstallCommand::Resolve(const std::string& target) {
    VRef<CUninstallScript> script = MakeRef<CUninstallScript>();
    std::string path = target;
    bool isFile = VFileManager::Instance()->FileExistsAtPath(target.c_str()) ||
                  target.find('/') != std::string::npos || target.find('\\') != std::string::npos ||
                  VString(target.c_str()).HasExtension("kus", false);
    if (!isFile) {
        CInstalledProducts::Product product;
        if (!CInstalledProducts::Find(target.c_str(), product)) {
            std::fprintf(stderr, "kis-installer: no installed product is called \"%s\"\n", target.c_str());
            return nullptr;
        }
        path = product.Get("UninstallScript");
    }
    switch (script->Load(path.c_str())) {
    case CUninstallScript::LoadResult::Loaded:
        return script;
    case CUninstallScript::LoadResult::Missing:
        std::fprintf(stderr, "kis-installer: the uninstall script %s does not exist\n", path.c_str());
        return nullptr;
    case CUninstallScript::LoadResult::NotUninstallScript:
        std::fprintf(stderr, "kis-installer: %s is not an uninstall script\n", path.c_str());
        return nullptr;
    }
    return nullptr;
}

int CUninstallCommand::Run(const CProgramOptions& options, IInstallerFrontEnd* frontEnd) {
    VRef<CUninstallScript> script = Resolve(options.uninstall);
    if (!script) return CProgramEntry::kStartupFailure;
    if (frontEnd) return frontEnd->RunUninstall(*script, options);
    CUnattendedInstallation runner;
    VRef<CInstallLog> log = CUninstaller::CreateUninstallLog(*script, nullptr);
    VRef<CUninstaller> job =
        MakeRef<CUninstaller>(&runner, script.Get(), log.Get(), CUninstaller::Scope::WholeScript);
    log.Reset();
    return runner.RunJob(job.Get()) == 0 ? kRemoved : kNotRemoved;
}
