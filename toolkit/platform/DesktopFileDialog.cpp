#include "toolkit/platform/DesktopFileDialog.h"

#include <cstdlib>
#include <string_view>
#include <utility>

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = FileDialogRequest::Kind;

std::string_view baseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Empty PATH entries are skipped: a plug-in must not run programs from
// whatever the host's current directory happens to be.
std::string locate(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string{};
    const char* path = std::getenv("PATH");
    std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
        if (dir.empty()) continue;
        std::string candidate = std::string(dir) + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

// The folder with a trailing slash (so that both dialogs open it rather
// than propose its name), followed by the proposed name when saving.
std::string startLocation(const FileDialogRequest& request) {
    std::string where = request.initialDirectory;
    if (!where.empty() && where.back() != '/') where += '/';
    if (request.kind == Kind::save) where += request.proposedName;
    return where;
}

std::vector<std::string> zenityArguments(const FileDialogRequest& request) {
    std::vector<std::string> args{"--file-selection"};
    if (!request.title.empty()) args.push_back("--title=" + request.title);
    if (request.kind == Kind::save) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    if (request.kind == Kind::directory) args.push_back("--directory");
    if (const std::string start = startLocation(request); !start.empty()) args.push_back("--filename=" + start);
    if (request.kind != Kind::directory && !request.filters.empty()) {
        for (const FileDialogFilter& filter : request.filters) {
            const std::string pattern = "*." + filter.extension;
            args.push_back("--file-filter=" + filter.description + " (" + pattern + ") | " + pattern);
        }
        args.push_back("--file-filter=All files | *");
    }
    // A newline separates the paths: it is the character least likely to be
    // part of one.
    if (request.multiple && request.kind == Kind::open) {
        args.push_back("--multiple");
        args.push_back("--separator=\n");
    }
    if (request.parentWindow != 0) args.push_back("--attach=" + std::to_string(request.parentWindow));
    return args;
}

std::vector<std::string> kdialogArguments(const FileDialogRequest& request) {
    const char* mode = request.kind == Kind::save        ? "--getsavefilename"
                       : request.kind == Kind::directory ? "--getexistingdirectory"
                                                         : "--getopenfilename";
    std::vector<std::string> args{mode, startLocation(request)};
    if (request.kind != Kind::directory && !request.filters.empty()) {
        std::string filters;
        for (const FileDialogFilter& filter : request.filters) {
            const std::string pattern = "*." + filter.extension;
            filters += pattern + "|" + filter.description + " (" + pattern + ")\n";
        }
        args.push_back(filters + "*|All files");
    }
    if (!request.title.empty()) {
        args.push_back("--title");
        args.push_back(request.title);
    }
    if (request.multiple && request.kind == Kind::open) {
        args.push_back("--multiple");
        args.push_back("--separate-output");
    }
    if (request.parentWindow != 0) {
        args.push_back("--attach");
        args.push_back(std::to_string(request.parentWindow));
    }
    return args;
}

// Whether the file name ends in "." and the extension, in any case. Any other
// ending ("Pad v1.2", "Warm.txt") gets the extension, so that the saved file
// shows in the dialog's own filter when it is loaded again.
bool endsInExtension(std::string_view path, std::string_view extension) {
    const std::string_view name = baseName(path);
    if (name.size() <= extension.size() + 1 || name[name.size() - extension.size() - 1] != '.') return false;
    return strncasecmp(name.data() + name.size() - extension.size(), extension.data(), extension.size()) == 0;
}

// The paths of the answer, one per line when several may be chosen.
std::vector<std::string> answerPaths(std::string answer, bool multiple) {
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    std::vector<std::string> paths;
    if (multiple) {
        size_t start = 0;
        while (start < answer.size()) {
            size_t end = answer.find('\n', start);
            if (end == std::string::npos) end = answer.size();
            if (end > start) paths.push_back(answer.substr(start, end - start));
            start = end + 1;
        }
    } else if (!answer.empty()) {
        paths.push_back(std::move(answer));
    }
    return paths;
}

bool isKdialog(const std::string& program) { return baseName(program) == "kdialog"; }

// A yes/no question or an error message, in the program's own terms.
std::vector<std::string> messageArguments(const std::string& program, const char* zenityMode, const char* kdialogMode,
                                          const std::string& title, const std::string& text, unsigned long parentWindow) {
    std::vector<std::string> args;
    if (isKdialog(program)) {
        args = {kdialogMode, text};
        if (!title.empty()) args.insert(args.end(), {"--title", title});
        if (parentWindow != 0) args.insert(args.end(), {"--attach", std::to_string(parentWindow)});
    } else {
        args = {zenityMode};
        if (!title.empty()) args.push_back("--title=" + title);
        // Paths may hold "&" or "<": plain text, not markup.
        args.insert(args.end(), {"--text=" + text, "--no-markup"});
        if (parentWindow != 0) args.push_back("--attach=" + std::to_string(parentWindow));
    }
    return args;
}

}  // namespace

DesktopFileDialog::DesktopFileDialog(std::vector<std::string> programs) : programs_(std::move(programs)) {}

bool DesktopFileDialog::start(const FileDialogRequest& request) {
    if (stage_ != Stage::idle) return false;
    chosen_.clear();
    for (const std::string& program : programs_) {
        const std::string path = locate(program);
        if (path.empty()) continue;
        if (!process_.start(path, isKdialog(path) ? kdialogArguments(request) : zenityArguments(request))) continue;
        // A dialog that ran has answered, even by failing: the next program
        // is not asked, or the user would see a second dialog.
        program_ = path;
        request_ = request;
        stage_ = Stage::choosing;
        return true;
    }
    return false;
}

bool DesktopFileDialog::isRunning() {
    if (stage_ == Stage::idle) return false;
    if (process_.poll()) return true;
    advance();
    return stage_ != Stage::idle;
}

void DesktopFileDialog::wait() {
    while (stage_ != Stage::idle) {
        process_.wait();
        advance();
    }
}

void DesktopFileDialog::cancel() {
    process_.stop();
    settle({});
}

std::vector<std::string> DesktopFileDialog::run(const FileDialogRequest& request) {
    if (!start(request)) return {};
    wait();
    return chosen_;
}

void DesktopFileDialog::advance() {
    if (stage_ == Stage::confirming) {
        settle(process_.succeeded() ? std::move(pending_) : std::vector<std::string>{});
        return;
    }
    if (!process_.succeeded()) {
        settle({});
        return;
    }
    std::vector<std::string> paths = answerPaths(process_.output(), request_.multiple);
    bool extended = false;
    if (request_.kind == Kind::save && !request_.saveExtension.empty()) {
        for (std::string& path : paths) {
            if (endsInExtension(path, request_.saveExtension)) continue;
            path += "." + request_.saveExtension;
            extended = true;
        }
    }
    // The dialog asked about the name as typed; the name written differs.
    struct stat existing;
    if (extended && paths.size() == 1 && lstat(paths[0].c_str(), &existing) == 0) {
        const std::string question = "A file named \"" + std::string(baseName(paths[0])) +
                                     "\" already exists. Do you want to replace it?";
        if (process_.start(program_, messageArguments(program_, "--question", "--warningyesno", request_.title, question,
                                                      request_.parentWindow))) {
            pending_ = std::move(paths);
            stage_ = Stage::confirming;
            return;
        }
        paths.clear();  // never replaced unasked
    }
    settle(std::move(paths));
}

void DesktopFileDialog::settle(std::vector<std::string> paths) {
    chosen_ = std::move(paths);
    pending_.clear();
    stage_ = Stage::idle;
}

bool DesktopFileDialog::showNotice(const std::string& title, const std::string& text,
                                   unsigned long parentWindow) const {
    for (const std::string& program : programs_) {
        const std::string path = locate(program);
        if (path.empty()) continue;
        if (DialogProcess::launchDetached(path, messageArguments(path, "--error", "--error", title, text, parentWindow)))
            return true;
    }
    return false;
}
