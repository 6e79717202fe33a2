#pragma once
// The routine labels and activity texts an error report can name. One row each: the identifier
// code uses and the text the report shows, which support staff search for, so keep it verbatim.

// clang-format off
#define VELMORA_ROUTINE_LABELS(X)                                                   \
  X(FrmMain_Form_Load, "FrmMain.Form_Load")                                         \
  X(FrmMain_subSetup, "FrmMain.subSetup")                                           \
  X(FrmMain_subUpdateForm, "FrmMain.subUpdateForm")                                 \
  X(FrmMain_subEnd, "FrmMain.subEnd")                                               \
  X(FrmMain_subFixedSizeTiff, "FrmMain.subFixedSizeTiff")                           \
  X(FrmMain_cmdAddToQueue_Click, "FrmMain.cmdAddToQueue_Click")                     \
  X(FrmMain_cmdBatchPrint_Click, "FrmMain.cmdBatchPrint_Click")                     \
  X(FrmMain_subAddExifAttribute, "FrmMain.subAddExifAttribute")                     \
  X(FrmMain_subDeleteAttribute, "FrmMain.subDeleteAttribute")                       \
  X(FrmMain_subClearAllAttributes, "FrmMain.subClearAllAttributes")                 \
  X(FrmMain_subEditAttribute, "FrmMain.subEditAttribute")                           \
  X(FrmMain_cmdIPTCBar_Click, "FrmMain.cmdIPTCBar_Click")                           \
  X(FrmMain_subUpdateIPTC_Keywords, "FrmMain.subUpdateIPTC_Keywords")               \
  X(FrmMain_subUpdateIPTC_Category, "FrmMain.subUpdateIPTC_Category")               \
  X(FrmMain_subSaveAsSinglePage, "FrmMain.subSaveAsSinglePage")                     \
  X(FrmMain_subShowFilesInFolder, "FrmMain.subShowFilesInFolder")                   \
  X(FrmMain_fncReadFile, "FrmMain.fncReadFile")                                     \
  X(frmSettings_subSetup, "frmSettings.subSetup")                                   \
  X(subLoadSetup, "subLoadSetup")                                                   \
  X(subSaveSetup, "subSaveSetup")                                                   \
  X(fncShowColorDialog, "fncShowColorDialog")                                       \
  X(LoadPic, "LoadPic")                                                             \
  X(subProcessPages, "subProcessPages")                                             \
  X(subAddEntryToListView, "subAddEntryToListView")                                 \
  X(modSaveOpenImageList_fncSaveImageBasket, "modSaveOpenImageList.fncSaveImageBasket") \
  X(modSaveOpenImageList_fncOpenImageBasket, "modSaveOpenImageList.fncOpenImageBasket") \
  X(modSaveOpenImageList_fncSaveTaskBasket, "modSaveOpenImageList.fncSaveTaskBasket") \
  X(modSaveOpenImageList_fncOpenTaskBasket, "modSaveOpenImageList.fncOpenTaskBasket") \
  X(modMetadata_ReadFileEXIFInfo, "modMetadata.ReadFileEXIFInfo")                   \
  X(modMetadata_ReadFileIPTCInfo, "modMetadata.ReadFileIPTCInfo")                   \
  X(modMetadata_fncUpdateAttribute, "modMetadata.fncUpdateAttribute")               \
  X(modMetadata_fncDeleteAttribute, "modMetadata.fncDeleteAttribute")               \
  X(modMetadata_fncEXIFInterpret, "modMetadata.fncEXIFInterpret")                   \
  X(modMetadata_fncFormattedAttributed, "modMetadata.fncFormattedAttributed")       \
  X(modMetadata_fncDeleteIPTC_Keywords_suppCat, "modMetadata.fncDeleteIPTC_Keywords_suppCat") \
  X(modMetadata_fncSaveEXIF, "modMetadata.fncSaveEXIF")                             \
  X(modMetadata_fncOpenEXIF, "modMetadata.fncOpenEXIF")                             \
  X(IptcDialog_subSetup, "subSetup")                                                \
  X(fncSavePreviewImage, "fncSavePreviewImage")                                     \
  X(fncSavePreviewToFile_Dialog, "fncSavePreviewToFile_Dialog")                     \
  X(fncSaveSinglePage, "fncSaveSinglePage")                                         \
  X(fncRetrieveNamingString, "fncRetrieveNamingString")                             \
  X(modScreensaver_MkSlideShow, "modScreensaver.MkSlideShow")                       \
  X(modScreensaver_SaveTempJPEG, "modScreensaver.SaveTempJPEG")                     \
  X(modScreensaver_subGenerateScreenSaver, "modScreensaver.subGenerateScreenSaver") \
  X(subMakeSingleScreensaver, "subMakeSingleScreensaver")                           \
  X(fncGetExtractPluginPath, "fncGetExtractPluginPath")                             \
  X(modBrowseForFolder_Folder_Browse, "modBrowseForFolder.Folder_Browse")           \
  X(modBrowseForFolder_DummyFunction, "modBrowseForFolder.DummyFunction")

#define VELMORA_ACTIVITY_TEXTS(X)                                                   \
  X(SettingUpMainApplication, "Setting up Main Application")                        \
  X(LoadingControlsAndSettings, "Loading all controls and settings")                \
  X(UpdatingSettingsToControls, "Updating settings to controls")                    \
  X(SavingSettingsBeforeTermination, "Saving Settings before termination")          \
  X(StoppingGraphicEngine, "Trying to stop Graphic Engine")                         \
  X(UnsubclassingControls, "UnSubclass all controls")                               \
  X(ResizingImageToPreviewSetting, "Resizing Image according to preview setting")   \
  X(ShowingFilesFromFolder, "Showing files from selected folder")                   \
  X(ReadingSelectedImageFile, "Trying to read/view selected image file")            \
  X(FittingImageToContainer, "Resizing image to fit the container control")         \
  X(AddingFilesToBasket, "Adding selected files to basket!")                        \
  X(OpeningImageList, "Opening image list from file!")                              \
  X(StartingBatchPrinting, "Starting batch printing")                               \
  X(SavingNewSingleFile, "Saving a new Single file")                                \
  X(SavingPagesToSingleFile, "saving pages to a single new file")                   \
  X(ProcessingBasketTasks, "Processing all available tasks in the basket")          \
  X(ReadingExif, "Reading EXIF information from the selected file!")                \
  X(ReadingIptc, "Reading IPTC information from the selected file!")                \
  X(UpdatingMetadataAttribute, "Updating metadata attribute")                       \
  X(DeletingExifAttribute, "Deleting exif attribute from the selected file")        \
  X(FormattingExifAttributeName, "Formatting Exif Attribute name")                  \
  X(EditingMetadata, "Editing EXIF/IPTC Metadata")                                  \
  X(AddingMetadataAttribute, "Adding new metadata attribute!")                      \
  X(DeletingMetadataAttribute, "Deleting metadata EXIF/IPTC attribute")             \
  X(ClearingAllMetadata, "Clear all EXIF/IPTC Metadata")                            \
  X(CallingFolderBrowseDialog, "Calling the Folder for Browse dialog")              \
  X(ReturningSelectedFolder, "Returning selected folder from the Browse dialog")
// clang-format on
