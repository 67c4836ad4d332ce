// Every Korean text the module shows, in one place: the rule dialogs' column headers and
// field names, the editor's refusals, the notices and questions about the rule file, the
// preview's summary, the undo's question and outcome, the other message boxes of the rule
// session and the rewrite, the words the module shares with the workbench (a failed read or
// save, an unusable rule folder setting, a rule in short), and the host messages of the
// command's start, of the rewrite as it goes (handed to the command layer below as its
// RewriteWords) and of a cancelled preview. A text with values filled in is one text with a
// "{}" where each goes (texts/TextFormat.h), the values named in order above it. Elsewhere are only
// the dialog templates' own captions (Quillet.rc, Preview.rc) and the description in the module's
// version resource (entry/CMakeLists.txt).
#pragma once

namespace texts {

// "Hole Diameter": the headers of the list's columns.
inline constexpr char16_t kEnabledColumn[] = u"적용";
inline constexpr char16_t kCodeColumn[] = u"가공코드";
inline constexpr char16_t kDiameterColumn[] = u"구멍경(적용)";
inline constexpr char16_t kNewDiameterColumn[] = u"구멍경(수정)";

// "Master Setting": the fields as its refusals name them.
inline constexpr char16_t kCodeFromField[] = u"가공코드 시작 값";
inline constexpr char16_t kCodeToField[] = u"가공코드 끝 값";
inline constexpr char16_t kDiameterFromField[] = u"구멍경(대상) 시작 값";
inline constexpr char16_t kDiameterToField[] = u"구멍경(대상) 끝 값";
inline constexpr char16_t kNewDiameterField[] = u"구멍경(수정)";

// "Master Setting" refuses a text on 적용: the field's name, the text as typed (the blank new
// diameter: the name alone), and for a new diameter the smallest and largest it takes
// (rules/CompiledRules.h).
inline constexpr char16_t kCodeNotANumber[] =
    u"{} \"{}\"을(를) 숫자로 읽을 수 없습니다.\r\n가공코드는 정수로 입력하십시오.";
inline constexpr char16_t kDiameterNotANumber[] =
    u"{} \"{}\"을(를) 숫자로 읽을 수 없습니다.\r\n지름은 숫자로 입력하십시오. 소수점은 "
    u"마침표(.)입니다.";
inline constexpr char16_t kNewDiameterBlank[] =
    u"{}이(가) 비어 있습니다.\r\n구멍에 쓸 지름을 {}부터 {}까지의 숫자로 입력하십시오.";
inline constexpr char16_t kNewDiameterTooLarge[] =
    u"{} \"{}\"은(는) 너무 커서 지름으로 쓸 수 없습니다.\r\n{}부터 {}까지의 지름을 입력하십시오.";
inline constexpr char16_t kNewDiameterImplausible[] =
    u"{} \"{}\"은(는) 구멍 지름일 수 없어 쓸 수 없습니다.\r\n{}부터 {}까지의 지름을 "
    u"입력하십시오.";

// "미리 보기": the headers of the list's columns.
inline constexpr char16_t kPreviewHoleColumn[] = u"구멍";
inline constexpr char16_t kPreviewStepColumn[] = u"단계";
inline constexpr char16_t kPreviewCodeColumn[] = u"가공코드";
inline constexpr char16_t kPreviewDiameterColumn[] = u"현재 경";
inline constexpr char16_t kPreviewNewDiameterColumn[] = u"새 경";
inline constexpr char16_t kPreviewRuleColumn[] = u"규칙";
// After the new diameter of a step that the rules match but whose value stays: "8.5 (그대로)".
inline constexpr char16_t kPreviewValueStays[] = u" (그대로)";

// The notice about a rule file read but not applied in full (texts/RuleFileNotice.h): the
// head with the file's path, one line per kind with its count and line numbers ("줄 3, 8"
// and " 외 4줄"), the tail.
inline constexpr char16_t kNoticeHead[] = u"규칙 파일에 적용하지 않는 줄이 있습니다: {}";
// The table's capacity twice, then the lines ignored.
inline constexpr char16_t kNoticeBeyondTable[] =
    u"\r\n- 규칙이 {}개를 넘어 처음 {}개만 읽고 나머지 {}줄은 무시하였습니다.";
// The fields of a rule line, the count of lines, their numbers.
inline constexpr char16_t kNoticeSkipped[] =
    u"\r\n- TAB이 있지만 필드가 {}개가 아니어서 규칙으로 읽지 않은 줄 {}개: {}";
// The smallest and largest new diameter, the count of rules, their lines.
inline constexpr char16_t kNoticeNotInForce[] =
    u"\r\n- 구멍경(수정)이 {}부터 {}까지의 숫자 하나가 아니어서(빈 칸, \"8.5 9\"처럼 "
    u"숫자 둘, 0, 너무 작거나 큰 수) 적용하지 않는 규칙 {}개: {}";
inline constexpr char16_t kNoticeLines[] = u"줄 {}";
inline constexpr char16_t kNoticeMoreLines[] = u" 외 {}줄";
inline constexpr char16_t kNoticeNotApplied[] =
    u"\r\n이 줄들은 구멍에 적용하지 않습니다. 파일에는 그대로 남아 있습니다.";
inline constexpr char16_t kNoticeKeptWhole[] =
    u"\r\n규칙을 저장하면 지금 파일 전체가 \"{}\"에 그대로, 영구히 보관됩니다.";
inline constexpr char16_t kNoticeCheckCommand[] =
    u"\r\n줄마다 무엇을 읽었는지는 quillet-rules check \"{}\"로 볼 수 있습니다.";

// The rule file a load or save was about (entry/RuleFileReport): the name of the copies a
// save keeps for good, with the file's name.
inline constexpr char16_t kKeptCopyName[] = u"{}.<날짜-시각>.bak";
// A time that cannot be told, where a message names one.
inline constexpr char16_t kUnknownTime[] = u"(알 수 없음)";

// The question before a save replaces a rule file changed elsewhere since it was read, or
// one the load could not read: what happened with the path and the time, then the question
// with what is kept (the file's name twice), then the answer 아니요.
inline constexpr char16_t kUnreadableAtStart[] =
    u"명령을 시작할 때 규칙 파일을 읽을 수 없었습니다: {}\r\n그래서 지금 규칙에는 이 파일의 "
    u"규칙이 없습니다.\r\n파일의 마지막 수정 시각: {}";
inline constexpr char16_t kChangedSinceRead[] =
    u"규칙 파일을 읽은 뒤 다른 곳에서 파일이 바뀌었습니다: {}\r\n바뀐 시각: {}";
inline constexpr char16_t kReplaceKeepsBackup[] =
    u"\r\n\r\n지금 규칙으로 바꾸시겠습니까?\r\n예: 지금 파일은 \"{}.bak\"에 남고, "
    u"\"{}.<날짜-시각>.bak\"에 영구히 보관됩니다.";
inline constexpr char16_t kReplaceKeepsBackupAndMissing[] =
    u"\r\n\r\n지금 규칙으로 바꾸시겠습니까?\r\n예: 지금 파일은 \"{}.bak\"에 남고, 지금 규칙에 "
    u"없는 규칙이 있으면 \"{}.<날짜-시각>.bak\"에 영구히 보관됩니다.";
inline constexpr char16_t kReplaceNo[] =
    u"\r\n아니요: 저장하지 않습니다. 고친 규칙은 다음에 명령을 시작할 때까지 남아 있습니다.";

// This user's copy of a rule folder's table, with the time it was written.
inline constexpr char16_t kCopySavedHere[] = u"{}에 이 컴퓨터에서 저장한 규칙";
inline constexpr char16_t kCopyReadFromFolder[] = u"{}에 폴더에서 읽은 규칙";

// The rule folder cannot be reached: the folder, the copy in use.
inline constexpr char16_t kFolderOutOfReach[] =
    u"규칙 폴더에 연결할 수 없습니다: {}\r\n이 컴퓨터에 보관한 사본({})을 사용합니다.\r\n폴더에 "
    u"다시 연결될 때까지 규칙을 저장할 수 없습니다.";

// The rule folder holds no rule file: the folder, what to do, the setting's name.
inline constexpr char16_t kNoRuleFileInFolder[] =
    u"규칙 폴더에 규칙 파일이 없습니다: {}{}(설정: {})";
inline constexpr char16_t kNoRuleFileInFolderHow[] =
    u"\r\n아직 적용할 규칙이 없습니다.\r\n규칙 파일을 시작하려면 지금 쓰던 Quillet.def를 이 "
    u"폴더에 복사하거나, 규칙 목록에서 규칙을 추가하고 확인을 누르십시오. ";
// ... while the module's folder still holds the table this seat used before: that file.
inline constexpr char16_t kNoRuleFileInFolderBeside[] =
    u"\r\n아직 적용할 규칙이 없습니다. 모듈의 폴더에는 이 컴퓨터가 쓰던 규칙 파일이 남아 "
    u"있습니다: {}\r\n규칙 폴더를 쓰는 동안 그 규칙은 적용되지 않습니다. 그 표를 규칙 폴더에 "
    u"두려면 명령 프롬프트에서 \"quillet-rules copy-to-share\"를 실행하십시오. ";

// The rule folder setting cannot be used: why, then where the rules come from (the copy in
// use, or none).
inline constexpr char16_t kUnusableSetting[] =
    u"규칙 폴더 설정을 쓸 수 없습니다.\r\n{}\r\n\r\n규칙 폴더에 연결할 수 없을 때처럼 {}\r\n"
    u"설정을 고칠 때까지 규칙을 저장할 수 없습니다.";
inline constexpr char16_t kUnusableSettingCopy[] =
    u"이 컴퓨터에 보관한 마지막 사본({})을 사용합니다.";
inline constexpr char16_t kUnusableSettingNoCopy[] =
    u"이 컴퓨터에 보관한 사본이 없어 규칙 없이 시작합니다.";
// A save with such a setting: why.
inline constexpr char16_t kNoFolderToSaveTo[] =
    u"규칙 폴더 설정을 쓸 수 없어 규칙을 저장하지 않았습니다.\r\n{}\r\n고친 규칙은 다음에 명령을 "
    u"시작할 때까지 남아 있습니다.";

// The rules this seat saved last were replaced elsewhere: the file, the time, the counts,
// the first few rules, where the saved rules are kept.
inline constexpr char16_t kRulesReplaced[] =
    u"이 컴퓨터에서 마지막으로 저장한 규칙을 다른 곳에서 바꾸거나 지웠습니다: {}\r\n파일이 "
    u"바뀐 시각: {}\r\n없어진 규칙 {}개, 바뀐 규칙 {}개:";
// One line per rule named, and a line for the rest.
inline constexpr char16_t kRuleChanged[] = u"\r\n    {} (바뀜)";
inline constexpr char16_t kRuleGone[] = u"\r\n    {} (없어짐)";
inline constexpr char16_t kRulesReplacedMore[] = u"\r\n    그 밖에 {}개";
// Where the saved rules are kept: the rule folder's copy when there is one, and this user's.
inline constexpr char16_t kRulesReplacedKept[] =
    u"\r\n\r\n저장했던 규칙은 {}이 컴퓨터의 사본 \"{}\"에 남아 있습니다.\r\n지금은 규칙 파일의 "
    u"규칙을 사용합니다.";
inline constexpr char16_t kRulesReplacedKeptInFolder[] = u"규칙 폴더의 \"{}\"과 ";

// A journal that cannot be written, told once per start of the command: the file, then the
// system's cause.
inline constexpr char16_t kJournalFailure[] = u"작업 기록을 남길 수 없습니다: {}\r\n{}";
// After the file and the cause: where the act waits to be written the next time.
inline constexpr char16_t kJournalActWaits[] =
    u"\r\n이 작업의 기록은 {}에 남아 있다가 다음 수정, 되돌리기 또는 명령 시작 때 이 파일에 "
    u"씁니다.";
inline constexpr char16_t kJournalActLost[] =
    u"\r\n이 작업의 기록은 어디에도 남기지 못했습니다. 구멍을 바꾼 것과 되돌린 것은 그대로 "
    u"남습니다.";

// "미리 보기": the summary above the list, "구멍 2개, 단계 3개를 바꿉니다", then when some
// steps keep their value " (그중 단계 1개는 값이 그대로)", and on a second line
// "규칙 1: 단계 2개, 규칙 7: 단계 1개".
inline constexpr char16_t kPlanHolesAndSteps[] = u"구멍 {}개, 단계 {}개를 바꿉니다";
inline constexpr char16_t kPlanStepsKeepingValue[] = u" (그중 단계 {}개는 값이 그대로)";
inline constexpr char16_t kPlanRuleSteps[] = u"규칙 {}: 단계 {}개";

// The undo of a rewrite: the question after the rewrite's time, with the count of its holes
// and of those no longer as it left them; the outcome with the count undone, then a line per
// reason a hole was left, with its count and the first of their ids.
inline constexpr char16_t kUndoQuestion[] = u"{}에 바꾼 구멍 {}개를 되돌리겠습니까?";
inline constexpr char16_t kUndoQuestionNoneChanged[] = u"\r\n그 뒤에 바뀐 구멍은 그대로 둡니다.";
inline constexpr char16_t kUndoQuestionSomeChanged[] =
    u"\r\n그중 구멍 {}개는 그 뒤에 바뀌었거나 읽을 수 없어 그대로 둡니다.";
inline constexpr char16_t kUndoDone[] = u"구멍 {}개를 되돌렸습니다.";
inline constexpr char16_t kUndoChangedSince[] =
    u"\r\n구멍 {}개는 그 뒤에 바뀌어 그대로 두었습니다 ({}).";
inline constexpr char16_t kUndoExcluded[] =
    u"\r\n구멍 {}개는 그 뒤에 수정 제외가 되어 그대로 두었습니다 ({}).";
inline constexpr char16_t kUndoUnreadable[] =
    u"\r\n구멍 {}개는 없어졌거나 읽을 수 없어 되돌리지 못했습니다 ({}).";
inline constexpr char16_t kUndoRefused[] =
    u"\r\n구멍 {}개는 호스트가 수정을 받지 않아 되돌리지 못했습니다 ({}).";

// A file that could not be read or saved (texts/FileReport.h). The module's message: the
// path, then the system's cause (its text, kUnknownError when the system has none, and its
// code). The workbench's line: the file's name, then the step of the save that failed and
// the cause.
inline constexpr char16_t kCannotOpenFile[] = u"파일을 열 수 없습니다: {}\r\n{}";
inline constexpr char16_t kCannotSaveFile[] = u"파일을 저장할 수 없습니다: {}\r\n{}";
inline constexpr char16_t kCannotSaveFileLine[] = u"파일을 저장할 수 없습니다: {} ({})";
inline constexpr char16_t kCannotReadFileLine[] = u"파일을 읽을 수 없습니다: {} ({})";
inline constexpr char16_t kUnknownError[] = u"알 수 없는 오류";
inline constexpr char16_t kSystemCause[] = u"{} (오류 코드 {})";
inline constexpr char16_t kSystemCauseLine[] = u"{}, 오류 코드 {}";
inline constexpr char16_t kTargetDenied[] = u"읽기 전용이거나 폴더입니다";
inline constexpr char16_t kBackupDenied[] = u"백업 파일이 읽기 전용이거나 폴더입니다";
inline constexpr char16_t kBackupFile[] = u"백업 파일";
inline constexpr char16_t kCannotWriteNew[] = u"임시 파일에 쓸 수 없습니다";
inline constexpr char16_t kCannotReadOld[] = u"이전 파일을 읽을 수 없습니다";
inline constexpr char16_t kCannotWriteBackup[] = u"백업 파일을 쓸 수 없습니다";
inline constexpr char16_t kCannotKeepCopy[] = u"보관 사본을 쓸 수 없습니다";
inline constexpr char16_t kCannotReplace[] = u"파일을 바꿀 수 없습니다";
inline constexpr char16_t kChangedMeanwhile[] = u"그사이 다른 곳에서 파일이 바뀌었습니다";
// The workbench's causes where the fault says more than the system's text would; a file too
// large names the bound in MB and, when it is known, its size in bytes first.
inline constexpr char16_t kFileNotFound[] = u"파일이 없습니다";
inline constexpr char16_t kNotARegularFile[] = u"일반 파일이 아니라 장치, FIFO 또는 소켓입니다";
inline constexpr char16_t kGrewBeyondBound[] =
    u"읽는 동안 규칙 파일과 CSV에 허용되는 {} MB를 넘었습니다";
inline constexpr char16_t kBytesBeyondBound[] =
    u"{}바이트로, 규칙 파일과 CSV에 허용되는 {} MB를 넘습니다";
inline constexpr char16_t kLinkLoop[] = u"기호 링크가 순환하여 파일에 이르지 않습니다";

// Why a rule folder setting cannot be used (texts/RuleFolderText.h): the setting's full name
// and its registry type ("유형 <n>" for a type without a name), for a text value the value,
// and for a variable that cannot be expanded its name.
inline constexpr char16_t kRegistryTypeNumber[] = u"유형 {}";
inline constexpr char16_t kSettingNotText[] =
    u"{} ({}): 문자열 값이 아니어서 폴더를 나타낼 수 없습니다. RuleFolder는 REG_SZ 또는 "
    u"REG_EXPAND_SZ여야 합니다.";
inline constexpr char16_t kSettingEmpty[] =
    u"{} ({}) 값 \"{}\": 비어 있어 폴더를 나타내지 않습니다. 규칙 폴더를 쓰려면 폴더의 전체 경로를 "
    u"넣고, 쓰지 "
    u"않으려면 값을 지우십시오.";
inline constexpr char16_t kSettingRelative[] =
    u"{} ({}) 값 \"{}\": 상대 경로라 호스트 프로그램의 현재 폴더에 따라 달라집니다. "
    u"\\\\server\\share\\cam이나 "
    u"D:\\cam처럼 전체 경로를 쓰십시오.";
inline constexpr char16_t kVariableUndefined[] =
    u"{} ({}) 값 \"{}\": 환경 변수 {}이(가) 정의되어 있지 않아 풀 수 없습니다.";
inline constexpr char16_t kVariableInPlainText[] =
    u"{} ({}) 값 \"{}\": 환경 변수 {}은(는) REG_SZ 값에서 풀리지 않습니다. 환경 변수를 쓰려면 "
    u"REG_EXPAND_SZ로 쓰십시오.";

// A rule in short, "101-199, 8.1-8.99 → 8.5", ends so when it is off.
inline constexpr char16_t kRuleOff[] = u" (꺼짐)";

// What the rewrite tells the host as it goes (command/RewriteWords.h, filled in by
// texts/RewriteTexts.h): no hole to change; a hole that cannot be read or amended, on the
// message line, then the box that the rewrite stopped; at the end "총 <n>개의 구멍을
// 수정하였습니다.".
inline constexpr char16_t kNoMatchingHole[] = u"설정과 부합되는 구멍이 없습니다.";
inline constexpr char16_t kCannotReadHole[] = u"구멍데이터를 참조할수 없습니다.";
inline constexpr char16_t kCannotAmendHole[] = u"구멍데이터를 수정할수 없습니다.";
inline constexpr char16_t kErrorOccurred[] = u"Error가 발생하였습니다.";
inline constexpr char16_t kChangedHoles[] = u"총 {}개의 구멍을 수정하였습니다.";

// After the count of a planned rewrite: the planned holes it left, with their count and the
// first of their ids.
inline constexpr char16_t kHolesChangedSincePlan[] =
    u"미리 보기 뒤에 바뀌었거나 없어진 구멍 {}개는 그대로 두었습니다: {}";

// The host's message line when the user cancels the preview: nothing was changed.
inline constexpr char16_t kRewriteCancelled[] = u"구멍을 바꾸지 않았습니다.";

// The host's message line at each start of the command.
inline constexpr char16_t kCommandPrompt[] = u"구멍 범위선택(도면전체:Ctrl+A / 확정:Dialog Open)";

}  // namespace texts
