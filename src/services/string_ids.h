// The ids of the string table (resources/strings/*.txt), named for what the launcher shows with
// them. These are the only numbers by which the launcher refers to its texts.
#pragma once

namespace wiz {

enum class StringId : int {
    WindowClassName = 1,          // "LauncherMain"
    StatusInitializing = 2,       // "Initializing %1!s!..."
    StatusSearching = 3,          // "Searching for Java(tm) Virtual Machine..."
    StatusPreparing = 4,          // "Preparing Java(tm) Virtual Machine..."
    StatusRunning = 5,            // "Running %1!s!..."
    StatusNotFound = 6,           // "Java(tm) Virtual Machine was not found. ..."
    SearchingFor = 7,             // "Searching for %1!s!"
    CouldNotLoadInput = 8,        // "Could not load the input file."
    InstructionsLoadFailed = 9,   // "Error loading instructions file."
    LaunchScriptLoadFailed = 10,  // "Error loading launch script."
    JvmFileLoadFailed = 11,       // "Error loading JVM file."
    InvalidJvmFileId = 12,        // "Invalid JVM file id."
    InvalidAction = 13,           // "Invalid action in input file: "
    LogNameMissing = 14,          // "A log file name must be specified after the -log option ..."
    CannotExtract = 15,           // "Unable to extract embedded files from the launcher. "
    CannotLoadIndex = 16,         // "Unable to load the launcher file index. "
    NoDrives = 17,                // "No drives found on this system."
    ChildProcessFailed = 18,      // "Execution of Child Process Failed"
    NoInstaller = 19,             // "No JVM installer was included in the launcher."
    NoProgressBar = 20,           // "The progress bar has not been created yet"
    JvmInvalid = 21,              // "The JVM is not valid."
    InputNameMissing = 22,        // "An input file name must follow the '-in' ..."
    NoJvmFound = 23,              // "A suitable JVM could not be found. ..."
    SearchAllFailed = 24,         // "Unable to search for all JVMs. "
    ScanningDisks = 25,           // "Scanning disk(s) for a Java(tm) Virtual Machine..."
    Verifying = 26,               // "Verifying %1!s!"
    InvalidHive = 27,             // "Invalid hive (%1!s!) specified in platform hint (%2!s!)."
    InvalidPlatformHint = 28,     // "Invalid platform hint: %1!s!"
    CannotOpenInput = 29,         // "Unable to open input file specified on the command line ..."
    ChooseDestination = 30,       // "Choose the JVM Destination Directory"
    PleaseWait = 31,              // the progress window's text asking the user to wait
    Cancel = 32,                  // "Cancel"
    ErrorWritingFile = 33,        // "Error writing file = "
    NotEnoughTempSpace = 34,      // " There may not be enough temporary disk space. ..."
    Canceled = 35,                // "Canceled by the user."
    TempDirectoryMissing = 36,    // "Cannot use %1!s! as the temp directory because ..."
    NotAJavaProgram = 37,         // "Selected file is not a valid JVM. ..."
    PickNotSuitable = 38,         // "The selected Java runtime is not suitable. Required: %1!s!"
    WindowTitle = 105,            // "{PRODUCT}"
    ProductName = 106,            // what {PRODUCT} in a text stands for: "Corvane Wizard"
    CompanyName = 107,            // what {COMPANY} in a text stands for: "Corvane®"
};

}  // namespace wiz
