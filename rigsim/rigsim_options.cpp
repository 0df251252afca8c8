// SPDX-License-Identifier: GPL-3.0-or-later
// The rigsim program's command line, read with Qt's parser (Qt Core only);
// every number goes through the program's own rules (rigsim_args).
#include "rigsim_options.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QCommandLineParser>
#include <QStringList>

#include "antennas.h"
#include "rigsim_args.h"

#ifndef VELORAN_VERSION
#define VELORAN_VERSION ""
#endif

namespace {

const char *kDescription =
    "Simulated antenna rig on a pseudo-terminal. Prints the slave device path on\n"
    "the first line of standard output and links it at --link.";

// After the options in --help: what the program takes while it runs.
const char *kCommandsHelp =
    "\n"
    "Commands on standard input, one per line:\n"
    "  e | h        measure the E | H cut from now on\n"
    "  t            toggle the cut\n"
    "  a DB         set the attenuator\n"
    "  p DEG        put the positioner at DEG\n"
    "  x [N]        next N replies silent (default 1)\n"
    "  k K          next reply short: only K bytes (0 to 3)\n"
    "  g            next reply garbage (4 random bytes)\n"
    "  l MS         next reply late by MS milliseconds\n"
    "  n            clear every fault\n"
    "  u [MS]       pull the line out now, back after MS ms (default 1000; -1:\n"
    "               until r)\n"
    "  r            plug the line back in now\n"
    "  s            show the state\n"
    "  q            quit\n"
    "\n"
    "Protocol: H report, A one degree forward, B one degree back, C initialise\n"
    "(positioner home to 0, sound off), each answered by raw level and angle\n"
    "(two bytes each, big-endian); I sound on, J sound off, no reply; any other\n"
    "byte is ignored. The attenuator is a manual setting that no command changes.\n"
    "SIGINT or SIGTERM ends the program and removes the link.\n";

// The library's types for --antenna, after the commands in --help.
std::string TypesHelp()
{
    std::string t = "\nAntenna types for --antenna TYPE, each measured as its textbook model:\n";
    for (int type = 0; type < rigsim::kLibraryTypes; ++type) {
        char line[120];
        std::snprintf(line, sizeof line, "  %2d  %s\n", type, AntennaNameOf(type));
        t += line;
    }
    return t;
}

// A refusal of the command line: one line on standard error, status 2.
int Refuse(const std::string &why)
{
    std::fprintf(stderr, "rigsim: %s\n", why.c_str());
    return 2;
}

}  // namespace

int ParseOptions(int argc, char **argv, rigsim::RigModel &rig, Settings *settings)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help({"h", "help"}, "Show this text.");
    const QCommandLineOption version("version", "Show the program's version.");
    const QCommandLineOption noAutoPlane(
        "no-auto-plane", "Keep the cut. By default a C that follows at least 359 steps since the "
                         "previous C (a whole sweep) is answered from the cut just swept, and "
                         "then the cut switches E -> H (and H -> E), so a person sweeps E then "
                         "H.");
    const QCommandLineOption verbose("verbose", "Log every command and reply on standard error.");
    const QCommandLineOption handMade(
        "hand-made", "Measure the hand-made pattern of the antenna's kind (a figure of eight, "
                     "a horn or an end-fire array) instead of its textbook model.");
    struct Valued {
        const char *name;
        const char *valueName;
        const char *text;
    };
    static constexpr Valued kValued[] = {
        {"link", "PATH",
         "Symlink to the slave device (default $XDG_RUNTIME_DIR/veloran-rig, and needed when "
         "XDG_RUNTIME_DIR is not set; an existing symlink is replaced; \"none\" for no link)."},
        {"antenna", "NAME|TYPE",
         "The antenna under test: the textbook model of a library type 0 to 15 (listed "
         "below), or by name dipole (type 0), horn (12), yagi (9), or iso for a flat "
         "pattern (default horn). The wire types' models are computed with nec2c at start; "
         "without it the hand-made pattern of the same kind stands in, and the program says "
         "so."},
        {"plane", "E|H", "Cut measured at start (default E)."},
        {"angle", "DEG", "Positioner angle at start (default 0)."},
        {"attn", "DB", "Attenuator setting in dB (default 0)."},
        {"peak", "DB", "Antenna level at the peak of the pattern (default -5)."},
        {"boresight", "DEG", "Positioner angle of the main lobe (default 0)."},
        {"noise", "DB",
         "Receiver noise: each reply's level jitters at random, normally distributed with this "
         "standard deviation in dB (0 to 100, default 0); the same --seed gives the same "
         "jitter."},
        {"drift", "DB_PER_MIN",
         "Slow drift of the receiver's level, in dB per minute since the program started "
         "(-100 to 100, default 0), as a warming receiver or a creeping source gives: a sweep "
         "then no longer closes on itself."},
        {"distance", "M",
         "Range distance from the source to the antenna in metres (default 0: the far "
         "field). Closer than 2D^2/lambda (D the antenna's largest dimension in the antenna "
         "table, lambda its wavelength) the phase across the aperture is no longer flat: the "
         "main lobe broadens, the side lobes rise and the nulls fill in."},
        {"misalign", "DEG|E:H",
         "The antenna turned DEG degrees about the other axis when mounted, so that a cut "
         "passes beside the main beam and reads lower by the other cut's level that far "
         "from the beam (-90 to 90, default 0); E:H gives each cut its own."},
        {"floor", "DB",
         "The receiver's floor in dB at the receiver, after the attenuator (-100 to 100, "
         "default none): signal and floor add in power, so the nulls read no lower, and "
         "more attenuation leaves less of the pattern above the floor."},
        {"baud", "N", "Line speed for byte pacing, 0 for none (default 9600)."},
        {"step-ms", "MS", "Time of one A or B step (default 10)."},
        {"init-ms", "MS", "Time of the C initialisation (default 500)."},
        {"fault", "KIND",
         "silence | short:K | garbage | garbage:HEX | late:MS | script:HEX (K: 0 to 3 bytes of "
         "the reply get through; HEX: bytes such as 0384005A)."},
        {"fault-count", "N", "Replies the fault applies to, 0 for all (default 0)."},
        {"fault-step", "N",
         "The fault starts with the reply to the N-th A or B step (default: the first reply)."},
        {"seed", "N", "Seed for noise and garbage bytes."},
        {"unplug", "N:MS",
         "Pull the line out right after the N-th reply (to H, A, B or C) and plug it back in "
         "MS ms later, as a USB serial adapter would be: the link and the device go away and "
         "come back as a new device at the same link (its path is printed as a further line "
         "on standard output); the rig keeps its angle and state."},
        {"unplug-steps", "N:MS", "The same, right after the reply to the N-th A or B."},
    };
    parser.addOption(help);
    parser.addOption(version);
    for (const Valued &v : kValued)
        parser.addOption(QCommandLineOption(v.name, QString::fromUtf8(v.text), v.valueName));
    parser.addOption(noAutoPlane);
    parser.addOption(handMade);
    parser.addOption(verbose);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments))
        return Refuse(parser.errorText().toStdString() + " See rigsim --help.");
    if (parser.isSet(help)) {
        // Without an application object Qt cannot know the program's name.
        std::fputs(parser.helpText().replace("<executable_name>", "rigsim").toUtf8().constData(),
                   stdout);
        std::fputs(kCommandsHelp, stdout);
        std::fputs(TypesHelp().c_str(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("rigsim %s\n", *VELORAN_VERSION ? VELORAN_VERSION : "(development build)");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Refuse("unexpected argument \"" + parser.positionalArguments().first().toStdString()
                      + "\": rigsim takes options only. See rigsim --help.");

    auto text = [&](const char *name) { return parser.value(name).toStdString(); };
    // The numbers first, each within its range.
    for (const char *name : {"angle", "attn", "peak", "boresight", "noise", "drift", "distance",
                             "floor", "baud", "step-ms", "init-ms", "seed"}) {
        if (!parser.isSet(name))
            continue;
        const std::string option = std::string("--") + name;
        double v = 0;
        const std::string why =
            rigsim::args::ParseRuled(option, text(name), *rigsim::args::OptionRule(option), &v);
        if (!why.empty())
            return Refuse(why);
        rig.update([&](rigsim::RigState &s) {
            if (option == "--angle")
                s.angle = int(v);
            else if (option == "--attn")
                s.attenuation = v;
            else if (option == "--peak")
                s.peakDb = v;
            else if (option == "--boresight")
                s.boresight = v;
            else if (option == "--noise")
                s.noiseDb = v;
            else if (option == "--drift")
                s.driftDbPerMin = v;
            else if (option == "--distance")
                s.rangeM = v;
            else if (option == "--floor")
                s.floorDb = v;
            else if (option == "--baud")
                s.baud = long(v);
            else if (option == "--step-ms")
                s.stepMs = v;
            else if (option == "--init-ms")
                s.initMs = v;
        });
        if (option == "--seed")
            rig.setSeed(std::uint32_t(v));
    }
    if (parser.isSet("antenna")) {
        int type = rigsim::kIsotropic;
        if (std::string why = rigsim::args::ParseAntennaOption(text("antenna"), &type);
            !why.empty())
            return Refuse(why);
        rig.update([&](rigsim::RigState &s) { s.type = type; });
    }
    if (parser.isSet(handMade))
        rig.update([](rigsim::RigState &s) { s.handMade = true; });
    if (parser.isSet("misalign")) {
        double e = 0, h = 0;
        if (std::string why = rigsim::args::ParseMisalign(text("misalign"), &e, &h); !why.empty())
            return Refuse(why);
        rig.setMisalignment(e, h);
    }
    if (parser.isSet("plane")) {
        rigsim::Plane p;
        if (!rigsim::ParsePlane(text("plane"), &p))
            return Refuse("--plane takes E or H, not \"" + text("plane") + "\"");
        rig.setPlane(p);
    }
    if (parser.isSet(noAutoPlane))
        rig.setAutoPlaneSwitch(false);
    double faultCount = 0;
    if (parser.isSet("fault-count")) {
        std::string why =
            rigsim::args::ParseRuled("--fault-count", text("fault-count"),
                                     *rigsim::args::OptionRule("--fault-count"), &faultCount);
        if (!why.empty())
            return Refuse(why);
    }
    double faultStep = 0;
    if (parser.isSet("fault-step")) {
        std::string why =
            rigsim::args::ParseRuled("--fault-step", text("fault-step"),
                                     *rigsim::args::OptionRule("--fault-step"), &faultStep);
        if (!why.empty())
            return Refuse(why);
    }
    if (parser.isSet("fault")) {
        rigsim::Fault fault;
        if (std::string why = rigsim::args::ParseFault(text("fault"), &fault); !why.empty())
            return Refuse(why);
        const int count = faultCount > 0 ? int(faultCount) : rigsim::kPermanent;
        if (faultStep > 0)
            rig.injectFaultAtStep(fault, int(faultStep), count);
        else
            rig.injectFault(fault, count);
    }
    if (parser.isSet("unplug") && parser.isSet("unplug-steps"))
        return Refuse("--unplug and --unplug-steps cannot be used together");
    for (const char *name : {"unplug", "unplug-steps"}) {
        if (!parser.isSet(name))
            continue;
        const std::string option = std::string("--") + name;
        int count = 0;
        double ms = 0;
        if (std::string why = rigsim::args::ParseUnplug(option, text(name), &count, &ms);
            !why.empty())
            return Refuse(why);
        if (option == "--unplug")
            rig.unplugAfterReplies(count, ms);
        else
            rig.unplugAfterSteps(count, ms);
    }
    if (parser.isSet("link"))
        settings->link = text("link");
    else
        settings->link = rigsim::args::DefaultLink(std::getenv("XDG_RUNTIME_DIR"));
    if (settings->link.empty())
        return Refuse(
            "XDG_RUNTIME_DIR is not set: give the link with --link PATH (or --link none). "
            "See rigsim --help.");
    settings->verbose = parser.isSet(verbose);
    return -1;
}
