#pragma once

// Numbers of the messages that have no number in the built-in table of 803.
// They live above that table's range (message n is identifier 43000 + n),
// so message 2001 is identifier 45001. Texts are in message_table_en.txt.
namespace orvane::msg {

enum OwnMessage : int {
    // Stream reader and writer.
    InvalidStreamFormat = 2001,
    StreamReadError,
    ClassNotFound,            // Class %s not found
    ComponentNameExists,      // A component named %s already exists
    PropertyDoesNotExist,     // Property %s does not exist
    InvalidPropertyPath,
    InvalidPropertyValue,
    PropertyIsReadOnly,
    AncestorNotFound,         // Ancestor for '%s' not found
    ErrorReading,             // Error reading %s%s%s: %s
    StreamWriteError,
    // Text form parser.
    ParseErrorOnLine,         // %s on line %d
    IdentifierExpected,
    StringExpected,
    NumberExpected,
    CharExpected,             // '%s' expected
    KeywordExpected,          // %s expected
    InvalidStringConstant,
    InvalidBinaryValue,
    LineTooLong,
    // Registries.
    UnableToRegisterComponents,
    UnableToUnregisterComponents,
    // Files.
    CannotOpenFile,           // Cannot open file "%s". %s
    CannotCreateFile,         // Cannot create file "%s". %s
    // Component framework.
    CannotAssign,             // Cannot assign a %s to a %s
    InvalidComponentName,     // '%s' is not a valid component name
    ListIndexOutOfBounds,     // List index out of bounds (%d)
    // Parameters and value conversions.
    ParameterTypeNotSupported,  // TjxParameter.SetDataType: %s data type is not supported
    ParameterNotFound,          // TjxParameterList.GetItemForName: No parameter named, %s, exists
    ParameterExists,            // TjxParameterList.Add: a Parameter named, %s, already exists.
    VariantConvertError,        // Could not convert variant of type (%s) into type (%s)
    InvalidIntegerText,         // '%s' is not a valid integer value
    InvalidFloatText,           // '%s' is not a valid floating point value
    InvalidDateTimeText,        // '%s' is not a valid date and time
    // Printers.
    ScreenPrinterCannotPrint,   // Screen printer does not support printing.
    // Data pipelines.
    DataTypeNotSupported,       // DataType not supported by %s
    FieldNotFound,              // Field "%s" not found in %s
    DatabaseOpenError,          // Cannot open database "%s". %s
    DatabaseQueryError,         // Database error: %s
    DatabaseOptionNeedsFile,    // --db needs the name of an SQLite file
    DatabaseFileNotFound,       // Database file not found: %s
    // Pages.
    OnlyOneOutlineCommand,      // TjxPage.AddDrawCommand: Cannot add more than one draw outline command per page.
    // Engine, band engines and page cache.
    CouldNotOpenDataSet,        // Could not open DataSet.
    EngineWithoutReport,        // TjxEngine.GetPageBottom: No Report assigned to this engine.
    StaticBandCannotFit,        // Static height detail band cannot fit on page
    DetailEngineWrongBand,      // TjxDetailBandEngine.SetBand: Band must be a TjxDetailBand.
    CacheRecordUnreadable,      // The page cache record of page %d could not be read.
    // Producer and devices.
    FileDeviceExists,           // TjxProducer.PrintToPrinter: The file device has already been created.
    ConvertBeforePrint,         // This report will be converted to 4.0 format before printing.
    NotAnArchive,               // "%s" is not a report archive file.
    ArchivePageMissing,         // The archive has no page %d.
    UnknownDevice,              // No output device is named "%s".
    // Command line rendering.
    RenderFormatUnknown,        // Unknown output format "%s": use pdf, png, raf, txt or reporttext.
    RenderPagesInvalid,         // No pages in "%s".
    RenderNoPages,              // The report produced no page to write.
    DetailBandCannotFit,        // Detail band cannot fit on page
    // Output devices.
    PdfFileDescription,         // PDF File
    BandCannotFit,              // Band %s cannot fit on page
    OptionNeedsValue,           // %s needs a value
    InvalidResolution,          // Invalid resolution: %s
    // Subreports.
    NoDataPipelineAssigned,     // No Data Pipeline Assigned
    // Printing.
    PrinterRefusedDocument,     // The printer %s did not accept the document.
    InvalidCopies,              // Invalid number of copies: %s
    NoPrinterNamed,             // No printer is named "%s".
    // Read-only report data and the files pipelines read.
    SqlNotOneStatement = 2120,  // The SQL of %s must be exactly one statement.
    SqlNotReadOnly,             // The SQL of %s does not only read: report data is read-only.
    NamedFileNotRegular,        // "%s" is not a regular file.
    NamedFileTooLarge,          // "%s" is too large: %s bytes, at most %s are read.
    DatabaseFileEmpty,          // The database file "%s" is empty.
    NotAnSqliteDatabase,        // "%s" is not an SQLite database.
    PipelineHasNoTable,         // The pipeline %s has no table or view in "%s"; it has: %s
    NoTablesInDatabase,         // no tables
    // Files, the command line and its outputs.
    OutputIsInput = 2140,       // The output "%s" is the file being read.
    NotRegularFile,             // Not a regular file.
    FileTooLarge,               // The file is larger than %s bytes.
    OutOfMemory,                // Not enough memory.
    PageImageTooLarge,          // Page %s would be an image of %s x %s pixels; the limit is %s pixels.
    PageImageFailed,            // Page %s could not be drawn as an image.
    RunInterrupted,             // Interrupted by signal %s: nothing was written.
    NoDefaultPrinter,           // There is no default printer.
    PrinterCannotOpen,          // The printer %s cannot be opened.
    UnknownOption,              // Unknown option "%s".
    InvalidPageList,            // "%s" is not a list of pages such as 1,3-5.
    // Stream limits and error locations.
    NestingTooDeep = 2180,      // Nesting too deep: more than %d levels
    ErrorAtByte,                // %s at byte %d
    ErrorInComponentAtByte,     // %s in %s at byte %d
    LengthOutOfRange,           // Length out of range: more than 10 m
    // Runs without end.
    PageLimitPassed = 2200,     // The report was stopped: it passed the limit of %d pages.
    // Preview and message boxes.
    PreviewUsage = 2300,        // usage: orvane-preview TEMPLATE [--db DATA.sqlite]
    NonSimplePanelStatusBar,    // TjxCustomPreview.StatusChangeEvent: Must have a non-SimplePanel status bar.
    MessageBoxError,            // Error
    MessageBoxWarning,          // Warning
    MessageBoxInformation,      // Information
    MessageBoxConfirmation,     // Confirm
    PreviewNotAvailable,        // No preview window is available.
    // Settings files.
    SettingsNameInvalid = 2400, // "%s" cannot be a section or key name in a settings file.
    SettingsValueLineBreak,     // The value of "%s" in section "%s" cannot hold a line break.
    SettingsNotRewritten,       // The settings file "%s" could not be read, so it is not written over. %s
    // Undo.
    UndoMoveObject = 2440,      // Move Object
    UndoResizeObject,           // Resize Object
    // Outline.
    OutlineReportNil = 2460,    // TjxOutline.Initialize: Report is nil.
    OutlineNoDrillDown,         // NoOutline: DrillDown not supported
    OutlineNoParticipant,       // TjxOutline.CreateNodeCreator: The outline participant does not support ...
    OutlineCreatorOutlineNil,   // TjxOutlineReportNodeCreator.EventNotify: Outline is nil
    OutlineCreatorComponentNil, // TjxOutlineReportNodeCreator.EventNotify: NodeCreatorComponent is nil
    OutlineViewerFreeWalkie,    // TjxOutlineViewer.Notification: Do not try to free the embedded walkie talkie.
    // Text search.
    SearchGotoPageMissing = 2480, // TjxTextSearchPageList.GotoPage: Cannot find the page number %d ...
    SearchLastPageEmpty,          // TjxTextSearchPageList.LastTextSearchPage: Current page search object list is empty.
    SearchIndexMissing,           // TjxTextSearchPageList.ResetSearchIndex: Cannot find the search index ...
    SearchOccurrenceIndex,        // TjxTextSearchPage.GetDrawCommandForIndex: Must reference an index ...
    SearchViewerNil,              // TjxTextSearchCustomEngine.Search: Must assign a non-nil viewer ...
    SearchRequestedPageNil,       // TjxTextSearchCustomEngine.SearchRequestedPages: Requested page is nil.
    SearchHighlightFailed,        // TjxCustomSearchPreview.HighlightPage: Cannot highlight page.\n%s
    SearchHighlightOutOfSync,     // TjxTextSearchEngine.CreateEntirePageHighlights: The draw command info list ...
    // Designer window.
    DesignerReady = 2500,       // Ready.
    DesignerObject,             // Object
    DesignerObjects,            // Objects
    DesignerUndo,               // &Undo
    DesignerRedo,               // &Redo
    DesignerNewReportName,      // New Report
    DesignerDesignTab,          // Design
    DesignerReadOnly,           // [Read Only]
    DesignerSelectReport,       // Select Report
    DesignerView,               // &View
    DesignerReport,             // &Report
    DesignerHelp,               // &Help
    DesignerFileNew,            // &New
    DesignerFileNewReport,      // New &Report
    DesignerFileClose,          // &Close
    DesignerFileSaveAs,         // Save &As...
    DesignerFileLoadSubreport,  // &Load SubReport...
    DesignerFileSaveSubreport,  // S&ave SubReport...
    DesignerFilePageSetup,      // Page Set&up...
    DesignerFilePrint,          // &Print
    DesignerEditCut,            // Cu&t
    DesignerEditCopy,           // &Copy
    DesignerEditPaste,          // &Paste
    DesignerEditSelectAll,      // Se&lect All
    DesignerViewRulers,         // &Rulers
    DesignerViewGridOptions,    // &Grid Options
    DesignerViewShowData,       // &Show Data
    DesignerReportCachePages,   // &Cache Pages
    DesignerReportPassSetting,  // P&ass Setting
    DesignerOnePass,            // &One Pass
    DesignerTwoPass,            // &Two Pass
    DesignerReportUnits,        // &Units
    DesignerScreenPixels,       // &Screen Pixels
    DesignerPrinterPixels,      // &Printer Pixels
    DesignerInches,             // &Inches
    DesignerMillimeters,        // &Millimeters
    DesignerMMThousandths,      // &Thousandths of MM
    DesignerHelpTopics,         // &Help Topics
    DesignerAbout,              // &About
    DesignerWindowExists,       // TjxDesigner.CreateDesignerWindow: DesignerWindow already exists.
    // Design surface: workspace, band bars, rulers and design controls.
    // (the select-report hint and the unit captions are the window's)
    RulerHide = 2540,             // &Hide
    BandZeroHeightComponents,     // Invalid value: Zero height band cannot contain components.
    BandTallerThanPage,           // Invalid value: Height of band cannot exceed height of page.
    DesignControlNotRegistered,   // TjxDesignControlFactory.CreateInstance: No design control registered for %s
    DesignControlComponentNil,    // TjxDesignControlFactory.CreateInstance: aComponent is nil
    WorkspaceZoneParent,          // TjxWorkspaceZone.SetParent: Parent must be of type TjxWorkspace
    // Barcodes.
    BarCodeMsiNotNumeric = 2600,  // MSI Barcodes must be numeric
    Code128CannotEncode,          // Code 128 cannot encode the character %s
    Code128ShiftAtEnd,            // A shift code must be followed by a character of the other code set
    // Text file devices.
    TextGridNoRoom = 2620,        // The text grid has no room: %d characters a line and %d lines a page on ...
    TextGridTooLarge,             // The text grid of %d characters a line and %d lines a page is too large ...
    TextFileTypeUnknown,          // Unknown text file type "%s": use comma, tab, fixed or custom.
    TextTypeNeedsTxt,             // --text-type applies only to --to txt.
    TextFileEmpty,                // No text of the report is marked for saving: "%s" is empty.
    // Rich text.
    RichTextNestedTooDeep = 2660, // The rich text is nested more than %s groups deep.
    RichTextNotLoaded,            // The rich text could not be loaded: %s
    // Selection and the clipboard on the workspace.
    AddSelectionNoControl = 2680, // TjxDesignerWindow.AddSelection: DesignControl is nil
    ClipboardBadLength,           // The clipboard's report components are unusable: their length "%s" does not fit ...
    ClipboardNotComponent,        // The clipboard holds a %s, which is not a report component: nothing was pasted.
    // Designer menus: captions the table holds in no other form, and the about box.
    DesignerFileLoadFromFile = 2700,         // Loa&d From File...
    DesignerFileSaveToFile,                  // Sa&ve to File...
    DesignerFileLoadSubreportFromFile,       // Load SubReport From File...
    DesignerFileSaveSubreportToFile,         // Save SubReport To File...
    DesignerViewToolbars,                    // Toolbars
    DesignerFilePrintToFileSetup,            // Print to &File Setup...
    DesignerEditBringToFront,                // Bring to &Front
    DesignerEditSendToBack,                  // Send to &Back
    DesignerAboutText,                       // Orvane report designer ...
    // Print, cancel and auto-search dialogs.
    PrintFileExists = 2740,       // %s already exists.\nDo you want to replace it?
    PrintFileIsFolder,            // %s is a folder, not a file.
    PrinterOptionsCaption,        // Printer Options
    PrinterOptionsPaper,          // &Paper
    PrinterOptionsSource,         // &Source
    PrinterOptionsDuplex,         // &Duplex
    DuplexNone,                   // One-sided
    DuplexLongEdge,               // Two-sided, long edge
    DuplexShortEdge,              // Two-sided, short edge
    PrinterOptionsOrientation,    // &Orientation
    AutoSearchValueHasComma,      // A search value cannot contain a comma: %s
    // Background printing.
    BackgroundScreenDevice = 2780,    // TjxProducer.InternalPrintInBackground: Cannot print to the screen ...
    BackgroundNotSupported,           // TjxBackgroundPrintManager.Print: Background printing not supported for
    BackgroundRequestNoProducer,      // TjxBackgroundPrintRequest.Create: Producer cannot be nil ...
    BackgroundRequestNotProducer,     // TjxBackgroundPrintRequest.Create: Object passed as producer is not ...
    BackgroundRequestNoOwner,         // TjxBackgroundPrintRequest.Create: Owner of producer cannot be nil ...
    BackgroundRequestScreen,          // TjxBackgroundPrintRequest.Create: The producer's device cannot be ...
    BackgroundQueueNilRequest,        // TjxBackgroundPrintQueue.Add: The background print request may not be nil.
    BackgroundContainerTimeout,       // TjxBackgroundPrintThread.PrintInBackground: %s second timeout ...
    BackgroundCannotGenerate,         // TjxBackgroundReportGenerator.ProcessRequest: Cannot Generate Report
    BackgroundContainerNoClass,       // TjxBackgroundContainerAdapter.CreateContainer: Request.OwnerClass ...
    BackgroundCannotCreateContainer,  // TjxBackgroundContainerAdapter.CreateContainer: Cannot create container:
    BackgroundProducerNotInOwner,     // TjxBackgroundContainerAdapter.CreateContainer: Cannot find producer ...
    BackgroundComponentNotProducer,   // TjxBackgroundContainerAdapter.CreateContainer: Component found for %s ...
    BackgroundAutoSearchMismatch,     // TjxAutoSearchRTTI.CopyAutoSearchFields: The report in the background ...
    // Print dialog: the queue's resolution.
    PrinterOptionsResolution = 2840,  // &Resolution
    ResolutionDpi,                    // %s dpi
    // Command line: options that belong to other outputs.
    DpiNeedsImageOrPdf = 2860,        // --dpi applies only to --to png and --to pdf.
};

} // namespace orvane::msg
