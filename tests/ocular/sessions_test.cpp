// Sessions in the real host with the real engine: what a loaded session gives the viewer (point
// sizes, rendering mode, channel, class masks, cameras), that it is remembered across a restart, and
// what a save hands the engine with and without a session, through the system's own save dialog.
#include "projects_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

using namespace projecttest;

// A project the engine converts from the sample file on its first load, beside the project file.
std::wstring WriteSampleProject(const ocularhost::Install& install) {
    std::wstring folder = install.root + L"\\site";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring las = SampleLas(L"simple.las");
    std::wstring lasFolder = las.substr(0, las.find_last_of(L'\\'));
    std::wstring project = folder + L"\\site.prj";
    testenv::WriteFileBytes(project, "[Ocularis project]\r\nStorage=" + ocularhost::Narrow(lasFolder) +
                                         "\r\nBlock simple\r\n");
    return project;
}

struct SessionValues {
    int engineValue = 7;
    int cameraMask = 5;
    std::wstring classFile = L"Z:\\nowhere\\session.ptc";
    std::wstring imageList;
    std::wstring imageListAux;
    // The visible classes come from the class file at the load; the session's own mask hides class 2
    // (ground).
    std::string visibleClasses = "1 ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff";
    std::string sessionClasses = "1 fffffffb ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff";
    float pointSize = 4000;
    float pointSizeParallel = 2500;
    unsigned renderingMode = 5;     // points, coloured by the channel
    unsigned channelMask = 1u << 5; // classification
};

// Written as the engine writes them; the keys left out read as 0.
std::string SessionText(const std::wstring& project, const SessionValues& v) {
    char text[4096];
    snprintf(
        text, sizeof text,
        "[Ocularis session]\r\nVersion=1\r\nProject=%s\r\nEngineValue=%d\r\nCameraMask=%d\r\nClassFile=%s\r\n"
        "ImageList=%s\r\nImageListAux=%s\r\nVisibleClasses=%s\r\nSessionClasses=%s\r\n"
        "View1.RenderingMode=%x\r\nView1.PointSize=%.9g\r\nView1.Channel=%x\r\n"
        "View2.RenderingMode=%x\r\nView2.PointSize=%.9g\r\nView2.Channel=%x\r\n",
        ocularhost::Narrow(project).c_str(), v.engineValue, v.cameraMask,
        ocularhost::Narrow(v.classFile).c_str(), ocularhost::Narrow(v.imageList).c_str(),
        ocularhost::Narrow(v.imageListAux).c_str(), v.visibleClasses.c_str(), v.sessionClasses.c_str(),
        v.renderingMode, static_cast<double>(v.pointSize), v.channelMask, v.renderingMode,
        static_cast<double>(v.pointSizeParallel), v.channelMask);
    return text;
}

const char kPlainSettings[] = "[Nimbo preferences]\r\nPointSize=1000.00\r\nPointSizeParallel=1000.00\r\n"
                              "RenderingMode=1\r\nDefaultPtcFile=Z:\\nowhere\\default.ptc\r\n";

std::string ValueIn(const std::string& text, const std::string& key) {
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "(none)";
    at += key.size() + 2;
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

std::string Png(const ocularhost::Install& install, const char* name) {
    return ocularhost::Narrow(install.root) + "\\" + name + ".png";
}
std::wstring WPng(const ocularhost::Install& install, const char* name) {
    return Widen(Png(install, name));
}

std::string Fit(const ocularhost::Install& install) {
    Range range{};
    LasRange(SampleLas(L"simple.las"), &range);
    return FitLine(0, range) + "save 0 " + Png(install, "empty") + "\n";
}

TEST(SessionLoad, RestoresTheViewerSettingsAndIsReopenedByReloadAfterARestart) {
    ocularhost::Install install = ocularhost::MakeInstall(L"session_load");
    std::wstring project = WriteSampleProject(install);
    std::wstring session = install.root + L"\\site.tss";
    testenv::WriteFileBytes(session, SessionText(project, SessionValues{}));
    SessionValues everyClass;
    everyClass.sessionClasses = everyClass.visibleClasses;
    std::wstring sessionAll = install.root + L"\\all.tss";
    testenv::WriteFileBytes(sessionAll, SessionText(project, everyClass));
    ocularhost::WriteSettingsFile(install, L"ocular.upf", kPlainSettings);

    std::string first = Fit(install) + "keyin load project " + ocularhost::Narrow(sessionAll) + "\nsave 0 " +
                        Png(install, "all") + "\nkeyin load project " + ocularhost::Narrow(session) +
                        "\nsave 0 " + Png(install, "session") + "\n";
    ocularhost::Result run = ocularhost::Run(install, first);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
    std::string settings = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_EQ(ValueIn(settings, "PointSize"), "4000.00") << settings;
    EXPECT_EQ(ValueIn(settings, "PointSizeParallel"), "2500.00") << settings;
    EXPECT_EQ(ValueIn(settings, "RenderingMode"), "5") << settings;
    EXPECT_EQ(ValueIn(settings, "LastSessionFile"), ocularhost::Narrow(session)) << settings;

    // Classification shown, the ground hidden by the session's mask: fewer points than all classes.
    long allPixels = DifferingPixels(WPng(install, "empty"), WPng(install, "all"));
    long sessionPixels = DifferingPixels(WPng(install, "empty"), WPng(install, "session"));
    EXPECT_GT(allPixels, 200);
    EXPECT_GT(sessionPixels, 50);
    EXPECT_LT(sessionPixels, allPixels * 9 / 10);

    // A later run of the host: the preference file brings the session back.
    ocularhost::WriteSettingsFile(install, L"ocular.upf",
                                  std::string(kPlainSettings) +
                                      "LastSessionFile=" + ocularhost::Narrow(session) + "\r\n");
    ocularhost::Result again =
        ocularhost::Run(install, Fit(install) + "keyin reload\nsave 0 " + Png(install, "reloaded") + "\n");
    ASSERT_EQ(again.exitCode, 0) << hostrun::Joined(again.output);
    EXPECT_EQ(DifferingPixels(WPng(install, "session"), WPng(install, "reloaded")), 0);
    settings = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_EQ(ValueIn(settings, "PointSize"), "4000.00") << settings;
    EXPECT_EQ(ValueIn(settings, "RenderingMode"), "5") << settings;
}

TEST(SessionLoad, TheLastExtensionInLowerCaseMakesASession) {
    struct Case {
        const wchar_t* name;
        bool session;
    };
    const Case cases[] = {
        {L"copy.tssbak", true}, {L"copy.prj.tss", true}, {L"copy.TSS", false}, {L"copy.tss.old", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(ocularhost::Narrow(c.name));
        ocularhost::Install install = ocularhost::MakeInstall(L"session_extension");
        std::wstring file = install.root + L"\\" + c.name;
        testenv::WriteFileBytes(file, SessionText(WriteSampleProject(install), SessionValues{}));
        ocularhost::WriteSettingsFile(install, L"ocular.upf", kPlainSettings);
        ocularhost::Result run =
            ocularhost::Run(install, Fit(install) + "keyin load project " + ocularhost::Narrow(file) +
                                         "\nsave 0 " + Png(install, "loaded") + "\n");
        ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
        // Either way the engine loads the project the session names.
        EXPECT_GT(DifferingPixels(WPng(install, "empty"), WPng(install, "loaded")), 50);
        std::string settings = ocularhost::ReadSettingsFile(install, L"ocular.upf");
        EXPECT_EQ(ValueIn(settings, "PointSize"), c.session ? "4000.00" : "1000.00") << settings;
        EXPECT_EQ(ValueIn(settings, "LastSessionFile"), c.session ? ocularhost::Narrow(file) : "(none)")
            << settings;
    }
}

TEST(SessionSave, HandsTheEngineTheLoadedSessionsValuesOrTheDefaults) {
    ocularhost::Install install = ocularhost::MakeInstall(L"session_save");
    std::wstring project = WriteSampleProject(install);
    std::wstring list = install.root + L"\\images.txt";
    testenv::WriteFileBytes(list, "[Ocularis image list]\r\n0 0 0 far_away.jpg\r\n");
    SessionValues loaded;
    loaded.imageList = list;
    std::wstring session = install.root + L"\\loaded.tss";
    testenv::WriteFileBytes(session, SessionText(project, loaded));
    ocularhost::WriteSettingsFile(install, L"ocular.upf", kPlainSettings);
    // The chooser remembers a project's name; the save offers it as a session.
    std::wstring hostPreferences = HostPreferencesFile(install);
    CreateDirectoryW(hostPreferences.substr(0, hostPreferences.find_last_of(L'\\')).c_str(), nullptr);
    testenv::WriteFileBytes(hostPreferences, "[Ocularis for Orbisa]\r\nSession File=" +
                                                 ocularhost::Narrow(install.root) + "\\old.prj\r\n");

    auto saved = [&](const char* name) { return install.root + L"\\" + Widen(name) + L".tss"; };
    std::string script = "keyin save session\n" // nothing loaded: the engine refuses
                         "keyin load project " +
                         ocularhost::Narrow(project) + "\nkeyin save session\n" + "keyin load project " +
                         ocularhost::Narrow(session) + "\nkeyin save session\n" + "keyin load project " +
                         ocularhost::Narrow(project) + "\nkeyin save session\n" + "keyin save session\n";
    std::vector<FileDialogUser> users = {
        {L"Save Ocularis Session", saved("refused"), "save_dialog_remembered"},
        {L"Save Ocularis Session", saved("project"), ""},
        {L"Save Ocularis Session", saved("session"), ""},
        {L"Save Ocularis Session", saved("after"), ""},
        {L"Save Ocularis Session", L"", ""},
    };
    ocularhost::Running* running = ocularhost::Start(install, script);
    for (FileDialogUser& user : users) ActOnFileDialog(&user);
    ocularhost::Result run = ocularhost::Finish(running);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
    for (const FileDialogUser& user : users)
        EXPECT_TRUE(user.found && user.closed) << ocularhost::Narrow(user.name);
    EXPECT_TRUE(EndsWith(users[0].offered, L"old.tss")) << ocularhost::Narrow(users[0].offered);
    EXPECT_TRUE(EndsWith(users[1].offered, L"refused.tss")) << "the chosen name is remembered";

    std::vector<std::wstring> expected = {L"Error - Session was not saved", L"Session succesfully saved",
                                          L"Session succesfully saved", L"Session succesfully saved"};
    std::vector<std::wstring> messages;
    for (const std::wstring& text : run.messages)
        if (text.find(L"Session") != std::wstring::npos) messages.push_back(text);
    EXPECT_EQ(messages, expected) << Joined(run.messages);

    struct Saved {
        const char* name;
        const char* engineValue;
        const char* cameraMask;
        std::string classFile;
        std::string imageList;
    };
    const Saved files[] = {
        {"project", "0", "0", "Z:\\nowhere\\default.ptc", ""},
        {"session", "7", "5", "Z:\\nowhere\\session.ptc", ocularhost::Narrow(list)},
        {"after", "0", "0", "Z:\\nowhere\\default.ptc", ""},
    };
    EXPECT_FALSE(Exists(saved("refused")));
    for (const Saved& f : files) {
        SCOPED_TRACE(f.name);
        std::string text = ReadBytes(saved(f.name));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(ValueIn(text, "EngineValue"), f.engineValue) << text;
        EXPECT_EQ(ValueIn(text, "CameraMask"), f.cameraMask) << text;
        EXPECT_EQ(ValueIn(text, "ClassFile"), f.classFile) << text;
        EXPECT_EQ(ValueIn(text, "ImageList"), f.imageList) << text;
        EXPECT_EQ(ValueIn(text, "ImageListAux"), "") << text;
    }
    std::string fromSession = ReadBytes(saved("session"));
    EXPECT_EQ(ValueIn(fromSession, "SessionClasses"), loaded.sessionClasses) << fromSession;
    EXPECT_EQ(ValueIn(fromSession, "View1.Channel"), "20") << fromSession;

    // The saved session, loaded into a host whose settings differ, brings the viewer back.
    ocularhost::WriteSettingsFile(install, L"ocular.upf", kPlainSettings);
    ocularhost::Result again =
        ocularhost::Run(install, "keyin load project " + ocularhost::Narrow(saved("session")) + "\n");
    ASSERT_EQ(again.exitCode, 0) << hostrun::Joined(again.output);
    std::string settings = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_EQ(ValueIn(settings, "PointSize"), "4000.00") << settings;
    EXPECT_EQ(ValueIn(settings, "PointSizeParallel"), "2500.00") << settings;
    EXPECT_EQ(ValueIn(settings, "RenderingMode"), "5") << settings;
}

// Parses "key=a,b,c" of a params line.
bool Triple(const std::string& line, const std::string& key, double out[3]) {
    std::string value = hostrun::ValueOf(line, key);
    return sscanf(value.c_str(), "%lf,%lf,%lf", &out[0], &out[1], &out[2]) == 3;
}

TEST(SessionCameras, FortyCamerasAreSwitchedByTheMaskBitsRepeatingEveryThirtyTwo) {
    ocularhost::Install install = ocularhost::MakeInstall(L"session_cameras");
    std::wstring project = WriteSampleProject(install);
    Range range{};
    ASSERT_TRUE(LasRange(SampleLas(L"simple.las"), &range));
    // One row of cameras in a band above the cloud, wider than the cloud so that they lie apart.
    double span = 5 * (range.max[0] - range.min[0]);
    double left = range.min[0] - 2 * (range.max[0] - range.min[0]);
    double top = range.max[1] + (range.max[1] - range.min[1]) * 0.3;
    double z = (range.min[2] + range.max[2]) / 2;
    std::string list = "[Ocularis image list]\r\n";
    std::vector<double> xs;
    for (int i = 0; i < 40; ++i) {
        xs.push_back(left + span * (i + 0.5) / 40);
        char line[128];
        snprintf(line, sizeof line, "%.6f %.6f %.6f image%02d.jpg\r\n", xs.back(), top, z, i);
        list += line;
    }
    std::wstring listFile = install.root + L"\\cameras.txt";
    testenv::WriteFileBytes(listFile, list);
    SessionValues values;
    values.imageList = listFile;
    values.cameraMask = 2;
    values.channelMask = 1; // elevation: every point shown, none yellow by class
    std::wstring first = install.root + L"\\first.tss";
    testenv::WriteFileBytes(first, SessionText(project, values));
    values.cameraMask = 4;
    std::wstring second = install.root + L"\\second.tss";
    testenv::WriteFileBytes(second, SessionText(project, values));

    Range view = range;
    view.min[0] = left;
    view.max[0] = left + span;
    view.max[1] = range.max[1] + (range.max[1] - range.min[1]) * 0.6;
    std::string script = "view 0 size 960 480\n" + FitLine(0, view) + "params 0\n" + "keyin load project " +
                         ocularhost::Narrow(first) + "\nsave 0 " + Png(install, "first") +
                         "\nkeyin load project " + ocularhost::Narrow(second) + "\nsave 0 " +
                         Png(install, "second") + "\n";
    ocularhost::Result run = ocularhost::Run(install, script);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);
    std::string params = hostrun::FirstLineStartingWith(run.output, "params 0");
    double origin[3], delta[3];
    int width = 0, height = 0;
    ASSERT_TRUE(Triple(params, "origin", origin) && Triple(params, "delta", delta)) << params;
    ASSERT_EQ(sscanf(hostrun::ValueOf(params, "size").c_str(), "%d,%d", &width, &height), 2) << params;

    auto enabledCameras = [&](const char* picture) {
        pngread::Image image;
        std::string why;
        std::set<int> enabled;
        if (!pngread::Read(WPng(install, picture), &image, &why)) return enabled;
        int row = static_cast<int>((1 - (top - origin[1]) / delta[1]) * height);
        for (int i = 0; i < 40; ++i) {
            int column = static_cast<int>((xs[i] - origin[0]) / delta[0] * width);
            // The square's outline is two pixels wide and five from its centre: look across its left edge.
            int yellow = 0;
            for (int dx = -6; dx <= -3; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (pngread::PixelAt(image, column + dx, row + dy) == 0xFFFF00u) ++yellow;
            if (yellow >= 3) enabled.insert(i);
        }
        return enabled;
    };
    EXPECT_EQ(enabledCameras("first"), (std::set<int>{1, 33}));
    // A list still attached is attached again with its switches; the second mask is not applied.
    EXPECT_EQ(enabledCameras("second"), (std::set<int>{1, 33}));
}

} // namespace
