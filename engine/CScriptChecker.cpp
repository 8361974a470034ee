#include "engine/CScriptChecker.h"

#include "engine/CInstallScript.h"
#include "engine/CInstructionFactory.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace VFoundation;
using Severity = CScriptChecker::Severity;

namespace {

constexpr const char* kViewTypes[] = {"DocumentView",       "LicenceView",   "InstallLocationView",
                                      "InstallProcessView", "ImageView",     "InstallSectionView",
                                      "ZDRKitPieceView",    "CompletionView"};
constexpr const char* kTags[] = {"{KestrawinInstallSystem}",
                                 "{Variables}",
                                 "{GlobalSetup}",
                                 "{Pages}",
                                 "{PreRun}",
                                 "{Exclusive}",
                                 "{MainInstall}"};

// The fields of an argument text, split and trimmed as instructions and panels read them.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    VStringTokenizer tokenizer(VString(text.c_str()), ',');
    VString field;
    while (tokenizer.NextToken(field))
        fields.emplace_back(field.Trim().GetText());
    return fields;
}

// Keyword and argument text of an instruction line, as the factory splits them.
void SplitInstruction(const std::string& line, std::string& keyword, std::string& arguments,
                      bool& conditioned) {
    conditioned = line.compare(0, 3, "If ") == 0;
    const std::string text = conditioned ? line.substr(3) : line;
    const size_t comma = text.find(',');
    keyword = text.substr(0, comma);
    arguments = comma == std::string::npos ? std::string() : text.substr(comma + 1);
}

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// " (did you mean X?)" for the nearest of the names, when one is near enough to be a slip.
std::string Suggestion(const std::string& word, const std::vector<const char*>& names) {
    const char* best = nullptr;
    size_t bestDistance = 0;
    for (const char* name : names) {
        const size_t distance = EditDistance(word, name);
        if (!best || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    if (!best || bestDistance > std::max<size_t>(2, std::strlen(best) / 3)) return "";
    return std::string(" (did you mean ") + best + "?)";
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

} // namespace

CScriptChecker::CScriptChecker(std::string scriptPath, std::string mediumFolder)
    : m_scriptPath(std::move(scriptPath)),
      m_mediumFolder(WithoutTrailingSeparators(std::move(mediumFolder))) {}

CScriptChecker::~CScriptChecker() {
    if (m_script) m_script->SetDiagnostics(nullptr);
}

std::string CScriptChecker::MediumOf(const std::string& scriptPath) {
    const std::filesystem::path folder = std::filesystem::absolute(scriptPath).parent_path();
    if (folder.filename() == "Installer") return folder.parent_path().string();
    return folder.string();
}

int CScriptChecker::Run(const std::string& scriptPath, const std::string& mediumFolder, bool warningsAsErrors,
                        std::FILE* out) {
    CScriptChecker checker(scriptPath, mediumFolder);
    if (!checker.Check()) {
        std::fprintf(stderr, "kis-installer: %s: the script cannot be read\n", scriptPath.c_str());
        return 255;
    }
    return checker.Print(out, warningsAsErrors);
}

bool CScriptChecker::Check() {
    VFileManager* files = VFileManager::Instance();
    bool isDirectory = false;
    if (!files->FileExistsAtPath(m_scriptPath.c_str(), &isDirectory) || isDirectory) return false;
    if (!VString(m_scriptPath.c_str()).HasExtension("kis", false)) {
        Add(1, Severity::Error, "the installer reads only scripts whose name ends in .kis");
        return true;
    }
    try {
        m_scriptHolder = VRef<CInstallScript>::Adopt(new CInstallScript());
    } catch (const VException& error) {
        std::fprintf(stderr, "kis-installer: %s\n", error.GetDescriptionText().GetText());
        return false;
    }
    m_script = m_scriptHolder.Get();
    m_script->SetVariable("CWD_FOLDER", m_mediumFolder.c_str());
    m_script->SetDiagnostics(this);
    const bool parsed = m_script->Parse(m_scriptPath.c_str());
    if (parsed) {
        CheckGlobals();
        CheckPages();
        CheckBlocks();
        CheckSections();
        CheckVariables();
    } else if (m_diagnostics.empty()) {
        return false;
    }
    std::stable_sort(m_diagnostics.begin(), m_diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return true;
}

int CScriptChecker::Print(std::FILE* out, bool warningsAsErrors) const {
    int errors = 0, warnings = 0;
    for (const Diagnostic& diagnostic : m_diagnostics) {
        const bool error = diagnostic.severity == Severity::Error || warningsAsErrors;
        ++(error ? errors : warnings);
        std::fprintf(out, "%s:%u: %s: %s\n", m_scriptPath.c_str(), diagnostic.line,
                     error ? "error" : "warning", diagnostic.text.c_str());
    }
    std::fprintf(out, "%d error(s), %d warning(s)\n", errors, warnings);
    return errors > 0 ? 1 : 0;
}

void CScriptChecker::Add(uint32_t line, Severity severity, std::string text) {
    m_diagnostics.push_back(Diagnostic{line, severity, std::move(text)});
}

void CScriptChecker::LineRead(uint32_t line, LineKind kind, const std::string& text, VObject* made) {
    switch (kind) {
    case LineKind::Tag:
        m_tag = text;
        m_tagLines.emplace(text, line);
        m_block = -1;
        if (text == "{PreRun}") {
            if (m_preRunBlock < 0) {
                m_preRunBlock = static_cast<int>(m_blocks.size());
                m_blocks.emplace_back();
            }
            m_block = m_preRunBlock;
        }
        break;
    case LineKind::Variable: {
        if (!made) break; // a global setting the installer does not read
        const std::string name = static_cast<CInstallerVariable*>(made)->GetName().GetText();
        const auto first = m_declared.find(name);
        if (first != m_declared.end()) {
            Add(line, Severity::Warning,
                "variable " + name + " is declared again; the declaration on line " +
                    std::to_string(first->second) + " wins");
        } else if (m_script->FindVariable(name.c_str()) != made) {
            Add(line, Severity::Warning, name + " is a built-in variable; this declaration is never seen");
        } else {
            m_declared.emplace(name, line);
            if (m_tag == "{Variables}") m_scriptVariables.push_back(NamedLine{line, name});
        }
        m_expandedTexts.emplace_back(line, static_cast<CInstallerVariable*>(made)->GetValue().GetText());
        break;
    }
    case LineKind::Page: {
        const auto* page = static_cast<CInstallerPage*>(made);
        m_pages.push_back(PageLine{line, page->GetViewType().GetText(), page->GetArgument().GetText()});
        m_expandedTexts.emplace_back(line, page->GetArgument().GetText());
        break;
    }
    case LineKind::BlockLine:
        break;
    case LineKind::Section: {
        const auto* section = static_cast<CInstallerSection*>(made);
        Block block;
        block.line = line;
        block.runs = section && section->GetPlatform() != SectionPlatformMac;
        if (block.runs) m_sections.push_back(NamedLine{line, section->GetName().GetText()});
        m_block = static_cast<int>(m_blocks.size());
        m_blocks.push_back(std::move(block));
        break;
    }
    case LineKind::Instruction:
        ReadInstruction(line, text, made);
        break;
    case LineKind::Exclusive:
        m_exclusive.push_back(NamedLine{line, text});
        break;
    }
}

void CScriptChecker::ReadInstruction(uint32_t line, const std::string& text, VObject* made) {
    std::string keyword, arguments;
    bool conditioned = false;
    SplitInstruction(text, keyword, arguments, conditioned);
    const bool conditional = made->IsKindOf(IConditionalStatement::GetClassRecord());
    if (conditioned && !conditional)
        Add(line, Severity::Warning,
            "If on " + keyword + ", which is no conditional: it runs as a plain instruction");
    if (m_block < 0) return;
    Block& block = m_blocks[static_cast<size_t>(m_block)];
    if (conditional) {
        const auto* statement = static_cast<IConditionalStatement*>(made);
        const bool jump = std::strcmp(made->GetClassName(), "CScriptJumpConditionalStatement") == 0;
        int32_t steps = statement->GetTrueSteps();
        if (!jump) steps = std::max(steps, statement->GetFalseSteps());
        const int32_t lowest = jump ? steps : std::min(statement->GetTrueSteps(), statement->GetFalseSteps());
        if (lowest < 1)
            Add(line, Severity::Warning,
                "step count " + std::to_string(lowest) +
                    " is below 1; the statement goes on with the next line");
        block.jumps.push_back(Block::Jump{block.instructions.size(), line, steps});
    }
    if (keyword == "CopyFile") {
        const std::vector<std::string> fields = Fields(arguments);
        if (fields.size() == 3 && fields[2] != "00777" &&
            InstructionArguments::ParseModeText(VString(fields[2].c_str())) ==
                InstructionArguments::kDefaultMode)
            Add(line, Severity::Warning,
                "CopyFile mode " + Quoted(fields[2]) +
                    " is not an octal mode (00400, 00200, 00100, 00040, 00020, 00010, 00004, 00002, 00001, "
                    "00700, 00777); 00777 is used");
    }
    if (keyword == "ReadRegistryEntry") {
        const std::vector<std::string> fields = Fields(arguments);
        if (!fields.empty()) m_namedVariables.insert(fields[0]);
    }
    m_expandedTexts.emplace_back(line, arguments);
    block.instructions.push_back(InstructionLine{line, text});
}

void CScriptChecker::LineDropped(uint32_t line, DropReason reason, const std::string& text) {
    switch (reason) {
    case DropReason::OutsideTag: {
        std::string trimmed = text;
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.pop_back();
        const bool tag = std::find(std::begin(kTags), std::end(kTags), trimmed) != std::end(kTags);
        if (tag && trimmed != text)
            Add(line, Severity::Warning, "tag line ends in blanks: it is no tag and is ignored");
        else if (text.find("{Section}") != std::string::npos)
            Add(line, Severity::Warning,
                "section header outside {MainInstall} (or after a line that is no section header) is "
                "ignored");
        else
            Add(line, Severity::Warning, "line belongs to no tag and is ignored");
        break;
    }
    case DropReason::PageWithoutComma:
        Add(line, Severity::Warning, "page line without a comma is ignored");
        break;
    case DropReason::UnknownBlock:
        Add(line, Severity::Warning,
            "unknown block " + text +
                ": the lines up to !end are skipped (blocks are !WIN32, !MACOSX and !end)");
        break;
    case DropReason::NoInstruction:
        DropInstruction(line, text);
        break;
    case DropReason::CutLine:
        Add(line, Severity::Warning,
            "line is longer than " + std::to_string(CInstallScript::kMaxLineLength) +
                " characters; the rest of it is ignored");
        break;
    }
}

void CScriptChecker::DropInstruction(uint32_t line, const std::string& text) {
    if (text[0] == '{') {
        Add(line, Severity::Warning,
            "tag " + text + " after {MainInstall} is read as an instruction of the last section and dropped");
        return;
    }
    std::string keyword, arguments;
    bool conditioned = false;
    SplitInstruction(text, keyword, arguments, conditioned);
    if (CInstructionFactory::IsInertKeyword(keyword.c_str())) {
        Add(line, Severity::Warning,
            keyword + " makes no instruction; the line is dropped" +
                Suggestion(keyword, CInstructionFactory::InstructionKeywords()));
        return;
    }
    std::string text2 = "unknown keyword " + Quoted(keyword);
    if (!keyword.empty() && (keyword.back() == ' ' || keyword.back() == '\t'))
        text2 += " (a blank before the comma is part of the keyword)";
    Add(line, Severity::Warning,
        text2 + "; the line is dropped" + Suggestion(keyword, CInstructionFactory::InstructionKeywords()));
}

void CScriptChecker::ScriptError(uint32_t line, const VException& error) {
    Add(line, Severity::Error, error.GetDescriptionText().GetText());
}

void CScriptChecker::ScriptRefused(uint32_t line, const char* reason) {
    Add(line, Severity::Error, reason);
}

uint32_t CScriptChecker::TagLine(const char* tag) const {
    const auto found = m_tagLines.find(tag);
    return found == m_tagLines.end() ? 1 : found->second;
}

void CScriptChecker::CheckGlobals() {
    if (!m_script->FindVariable("APPLICATION_NAME"))
        Add(TagLine("{GlobalSetup}"), Severity::Error,
            "APPLICATION_NAME is not declared: the window has no title and no installation can start");
    if (!m_script->FindVariable("APPLICATION_LOGPATH"))
        Add(TagLine("{GlobalSetup}"), Severity::Error,
            "APPLICATION_LOGPATH is not declared: no install log can be written, so no installation can "
            "start");
}

void CScriptChecker::CheckPages() {
    const std::vector<const char*> viewTypes(std::begin(kViewTypes), std::end(kViewTypes));
    const PageLine* processPage = nullptr;
    for (const PageLine& page : m_pages) {
        const std::vector<std::string> options = Fields(page.argument);
        auto option = [&](size_t index) { return index < options.size() ? options[index] : std::string(); };
        if (page.type == "DocumentView") {
            if (options.empty())
                Add(page.line, Severity::Error, "a DocumentView page needs at least a title in its options");
            else if (!option(4).empty())
                CheckMediumPath(page.line, option(4), "document file", PathKind::File, true);
        } else if (page.type == "LicenceView") {
            VString licence(page.argument.substr(0, page.argument.find(',')).c_str());
            const std::string path = licence.Trim().GetText();
            if (path.empty())
                Add(page.line, Severity::Error, "the licence page names no licence file");
            else
                CheckMediumPath(page.line, path, "licence file", PathKind::File, true);
        } else if (page.type == "InstallLocationView" || page.type == "ZDRKitPieceView") {
            VString name(option(0).c_str());
            if (page.type == "InstallLocationView") m_script->ExpandVariables(name);
            m_namedVariables.insert(name.GetText());
            if (!m_script->FindVariable(name.GetText()))
                Add(page.line, Severity::Error,
                    "the " + page.type + " page names no declared variable to hold the install location (" +
                        Quoted(name.GetText()) + ")");
            if (page.type == "ZDRKitPieceView" && !option(2).empty())
                CheckMediumPath(page.line, option(2), "kit library folder", PathKind::Folder);
        } else if (page.type == "InstallProcessView") {
            if (processPage)
                Add(page.line, Severity::Error,
                    "a second install process page (the first is on line " +
                        std::to_string(processPage->line) + "): the installation cannot run twice");
            else
                processPage = &page;
            if (!option(0).empty() && option(0) != "LogView")
                CheckMediumPath(page.line, option(0), "slideshow folder", PathKind::Folder);
        } else if (page.type == "ImageView") {
            if (!option(1).empty()) CheckMediumPath(page.line, option(1), "picture file", PathKind::File);
        } else if (page.type == "CompletionView") {
            if (&page != &m_pages.back())
                Add(page.line, Severity::Error, "the completion page must be the last page");
        } else if (page.type != "InstallSectionView") {
            Add(page.line, Severity::Warning,
                "unknown view type " + Quoted(page.type) + "; the page gives no panel" +
                    Suggestion(page.type, viewTypes));
        }
    }
    if (!processPage)
        Add(TagLine("{Pages}"), Severity::Warning, "no install process page: the sections never run");
}

void CScriptChecker::CheckBlocks() {
    for (const Block& block : m_blocks) {
        const size_t count = block.instructions.size();
        for (const Block::Jump& jump : block.jumps)
            if (jump.steps > 0 && jump.index + static_cast<size_t>(jump.steps) > count)
                Add(jump.line, Severity::Warning,
                    "step count " + std::to_string(jump.steps) + " jumps past the end of the " +
                        (block.line ? "section" : "pre-run list") + " (" +
                        std::to_string(count - jump.index - 1) + " instruction(s) follow)");
        if (!block.runs) continue;
        for (const InstructionLine& instruction : block.instructions) {
            std::string keyword, arguments;
            bool conditioned = false;
            SplitInstruction(instruction.text, keyword, arguments, conditioned);
            const std::vector<std::string> fields = Fields(arguments);
            if (fields.empty() || fields[0].empty()) continue;
            if (keyword == "CopyFile")
                CheckMediumPath(instruction.line, fields[0], "copy source", PathKind::Either);
            else if (keyword == "CopyDirectory" || keyword == "ZdrcaCopyDirectory")
                CheckMediumPath(instruction.line, fields[0], "copy source folder", PathKind::Folder);
            else if (keyword == "ShowSplashScreen")
                CheckMediumPath(instruction.line, fields[0], "splash screen picture", PathKind::File);
        }
    }
}

void CScriptChecker::CheckSections() {
    std::map<std::string, uint32_t> firstLines;
    for (const NamedLine& section : m_sections) {
        const auto [first, added] = firstLines.emplace(section.name, section.line);
        if (!added)
            Add(section.line, Severity::Warning,
                "a second section named " + Quoted(section.name) + " (the first is on line " +
                    std::to_string(first->second) + ")");
    }
    std::set<std::string> optional;
    for (const CInstallerSection* section : m_script->GetSections())
        if (section->IsOptional()) optional.insert(section->GetName().GetText());
    for (const NamedLine& name : m_exclusive)
        if (!optional.count(name.name))
            Add(name.line, Severity::Warning,
                "exclusive name " + Quoted(name.name) + " names no optional section");
}

void CScriptChecker::CheckVariables() {
    std::set<std::string> used;
    for (const auto& [line, text] : m_expandedTexts) {
        // Names pair "$" signs from the left, as expansion does.
        for (size_t first = text.find('$'); first != std::string::npos;) {
            const size_t second = text.find('$', first + 1);
            if (second == std::string::npos) break;
            const std::string name = text.substr(first + 1, second - first - 1);
            used.insert(name);
            if (name != "***" && !IsDeclared(name))
                Add(line, Severity::Warning, "$" + name + "$ names no variable; it is left as it is");
            first = text.find('$', second + 1);
        }
    }
    for (const NamedLine& variable : m_scriptVariables)
        if (!used.count(variable.name) && !m_namedVariables.count(variable.name))
            Add(variable.line, Severity::Warning, "variable " + variable.name + " is never used");
}

bool CScriptChecker::IsDeclared(const std::string& name) const {
    return m_script->FindVariable(name.c_str()) || m_namedVariables.count(name);
}

void CScriptChecker::CheckMediumPath(uint32_t line, const std::string& argument, const char* what,
                                     PathKind kind, bool always) {
    VString expanded(argument.c_str());
    m_script->ExpandVariables(expanded);
    VFileManager::MakeNativePath(expanded);
    const std::string path = expanded.GetText();
    // A reference that names no variable is reported as such; the path means nothing then.
    const size_t dollar = path.find('$');
    if (dollar != std::string::npos && path.find('$', dollar + 1) != std::string::npos) return;
    VString medium(m_mediumFolder.c_str());
    VFileManager::MakeNativePath(medium);
    const std::string prefix = medium.GetText();
    const bool inMedium = !prefix.empty() && path.compare(0, prefix.size(), prefix) == 0 &&
                          (path.size() == prefix.size() || path[prefix.size()] == '/' ||
                           path[prefix.size()] == '\\' || prefix.back() == '/' || prefix.back() == '\\');
    if (!inMedium && !(always && std::filesystem::path(path).is_absolute())) return;
    bool isDirectory = false;
    const bool exists = VFileManager::Instance()->FileExistsAtPath(path.c_str(), &isDirectory);
    if (!exists) {
        Add(line, Severity::Error, std::string(what) + " not found: " + path);
    } else if (kind != PathKind::Either && isDirectory != (kind == PathKind::Folder)) {
        Add(line, Severity::Error,
            std::string(what) + (isDirectory ? " is a folder: " : " is a file: ") + path);
    }
}
