#pragma once

// Numbered events of the event-notify channel. A sender announces an event
// after calling its own handler property of the same name, if any.
namespace orvane {

enum TjxEventId : int {
    ciProducerEndPrint = 0,            // printing has ended (just before AfterPrint)
    ciProducerStartPrint = 1,          // printing begins
    ciProducerCancel = 2,              // OnCancel
    ciProducerCancelDialogCreate = 3,
    ciProducerCancelDialogClose = 4,
    ciProducerPreviewFormCreate = 5,
    ciProducerPreviewFormClose = 6,
    ciProducerPrintDialogCreate = 7,
    ciProducerPrintDialogClose = 8,
    ciProducerSaveText = 9,
    ciReportAfterAutoSearchDialogCreate = 10,
    ciReportAutoSearchDialogClose = 11,
    ciReportGetAutoSearchValues = 12,
    ciEngineStartFirstPage = 13,
    ciEngineFirstPassComplete = 14,
    ciReportEndColumn = 15,
    ciReportEndFirstPass = 16,
    ciReportEndPage = 17,
    ciReportEndSecondPass = 18,
    ciReportStartColumn = 19,
    ciReportStartFirstPass = 20,
    ciReportStartPage = 21,
    ciReportStartSecondPass = 22,
    ciBandAfterPrint = 23,
    ciBandBeforePrint = 24,
    ciBandAfterGenerate = 25,
    ciBandBeforeGenerate = 26,
    ciGroupAfterGroupBreak = 27,
    ciGroupBeforeGroupBreak = 28,
    ciGroupHeaderGenerated = 29,
    ciGroupFooterGenerated = 30,
    ciGroupGetBreakValue = 31,
    ciComponentPrint = 32,
    ciVariableCalc = 33,
    ciVariableReset = 34,
    ciEngineRecordTraversed = 35,
    ciPipelineFirst = 37,              // 37 to 45: traversal and record events of a data pipeline
    ciPipelineLast = 45,
    ciCacheWriteFailed = 48,
    ciCacheRetryFailed = 49,
    ciTextGetText = 53,
    ciReportAutoSearchFieldCreated = 66,
    ciLookAheadValueComputed = 67,
    ciGroupBreakStateReset = 68,
    ciDataImageGetPicture = 69,
    ciProducerBeforeInitialize = 70,
    ciProducerAfterInitialize = 71,
    ciReportBeforeAutoSearchDialogCreate = 72,
    ciReportTreeSelectionChanged = 75,
    ciComponentDrawCommandCreate = 84,
    ciComponentDrawCommandClick = 85,
    ciDataMemoGetMemo = 86,
    ciReportNoData = 87,
    ciReportOutlineNodeCreate = 88,
    ciProducerPrintFinished = 89,
    ciEnginePageSent = 90,
    ciEngineGenerationStarted = 91,
    ciScreenDevicePageDrawFirst = 92,
    ciScreenDevicePageDrawLast = 93,
    ciViewerPageChange = 94,
    ciViewerPrintStateChange = 95,
    ciViewerStatusFirst = 96,
    ciViewerStatusSecond = 97,
    ciDevicePageReceived = 98,
    ciPublisherPagePublished = 99,
    ciPublisherPagesRequested = 100,
    ciOutlineVisibilityChanged = 101,
    ciTextSearchFirst = 102,
    ciTextSearchSecond = 103,
    ciTextSearchThird = 104,
    ciProducerAssignPreviewFormSettings = 105,
    ciPublisherReset = 109,
    ciNameChanged = 111,
    ciComponentDesignChangeFirst = 113,
    ciComponentDesignChangeSecond = 114,
    ciBandComponentAdded = 115,
    ciBandComponentRemoved = 116,
    ciParentWidthChanged = 117,
    ciParentHeightChanged = 118,
    ciBandHeightChanging = 119,        // parameters "NewHeight", "IsValid" (writable)
    ciBandHeightChanged = 120,         // parameter "OldHeight"
    ciBandDesignValueFirst = 121,      // parameter "Value"
    ciBandDesignValueSecond = 122,
    ciReportBandAdded = 123,
    ciReportBandRemoved = 124,
    ciBandLayoutChanged = 125,
    ciBandComponentAttachmentFirst = 126,
    ciBandComponentAttachmentSecond = 127,
    ciBandNameChanged = 128,
    ciViewerStatusThird = 129,
    ciPipelineStateFirst = 130,        // 130 to 133: pipeline state events
    ciPipelineStateLast = 133,
    ciReportBeforeOpenDataPipelines = 134,
    ciReportAfterOpenDataPipelines = 135,
    ciReportInitializeParameters = 136,
    ciBandEngineTraversal = 139,
    ciProducerPageRequest = 140,
};

// Operations of the notify link.
enum TjxNotifyOperation : int {
    ntDestroying = 0,        // the sender is being destroyed; every receiver must forget it
    ntDataChanged = 2,       // a pipeline's data changed, or a report got another pipeline
    ntUserNameChanged = 3,
    ntReportEmptying = 4,    // a new template is about to replace the report's layout
    ntLanguageChanged = 5,
};

} // namespace orvane
