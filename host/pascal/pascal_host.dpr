// A messenger stand-in in Object Pascal: it loads Brisklet.dll as the
// messenger does, with the messenger's declarations, compiler-managed
// interfaces and WideStrings, its own message loop and its runtime's
// floating-point settings, and lives the plug-in's whole life once. It
// checks what the messenger would notice, prints one line per check and
// ends with "pascal host: N checks, M failed"; exit code 1 on any failure.
//   pascal_host.exe PLUGIN_DLL VERSION
// VERSION is the plug-in's version (as in its update report). The options
// window's update check goes to http_proxy, which must answer with version
// 9.0.0; BRISKLET_TEST_DPI names the screen's DPI (default 96).
program pascal_host;

{$mode delphi}
{$interfaces com}
{$codepage utf8}
{$apptype console}
{$R pascal_host.res}

uses
  Windows, SysUtils, uVostekPlugins;

const
  ExpectedControlWord = $1332;  // what a Delphi program runs with
  ReferenceDpi = 96;
  OptionsClientWidth = 450;
  OptionsClientHeight = 538;
  LatestVersion = '9.0.0';
  Selection = ';;;;5;;;;7;;';
  PluginName = 'Brisklet - смешной статус';

  ListLines: array[0..2] of WideString = ('Привет, мир!', 'Здравствуй/nlмир', 'plain one');
  StatusEntries: array[0..2] of WideString = ('5|Пиво|Холодное/nlда', '5|Чай|Горячий', '7|Sleep|zzz');

// ---------------------------------------------------------------- checks

var
  Checks: Integer = 0;
  Failed: Integer = 0;
  Dpi: Integer = ReferenceDpi;
  HostThread: DWORD;  // the thread that runs the host and calls the plug-in

procedure Say(const Line: WideString);
var
  Bytes: UTF8String;
  Written: DWORD;
begin
  Bytes := UTF8Encode(Line + #13#10);
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), PAnsiChar(Bytes)^, Length(Bytes), Written, nil);
end;

procedure Check(Ok: Boolean; const Name: WideString; const Detail: WideString = '');
begin
  Inc(Checks);
  if Ok then
    Say('ok    ' + Name)
  else
  begin
    Inc(Failed);
    if Detail <> '' then
      Say('FAIL  ' + Name + ': ' + Detail)
    else
      Say('FAIL  ' + Name);
  end;
end;

// Line ends shown, so one text is one line.
function Shown(const S: WideString): WideString;
var
  I: Integer;
begin
  Result := '"';
  for I := 1 to Length(S) do
    if S[I] = #13 then
      Result := Result + '\r'
    else if S[I] = #10 then
      Result := Result + '\n'
    else
      Result := Result + S[I];
  Result := Result + '"';
end;

// A list entry's "/nl" markers as the line ends that the plug-in sends.
function Expanded(const S: WideString): WideString;
var
  I: Integer;
begin
  Result := '';
  I := 1;
  while I <= Length(S) do
    if Copy(S, I, 3) = '/nl' then
    begin
      Result := Result + #13#10;
      Inc(I, 3);
    end
    else
    begin
      Result := Result + S[I];
      Inc(I);
    end;
end;

// ------------------------------------------------- floating-point state

var
  StartControlWord: Word;
  StartMxcsr: DWord;
  FloatChanges: WideString = '';

// The settings only: not the sticky exception flags (MXCSR bits 0-5) nor
// the control word's reserved bits.
procedure AfterStep(const Step: WideString);
var
  Cw: Word;
  Mx: DWord;
begin
  Cw := Get8087CW;
  Mx := GetMXCSR;
  if ((Cw and $1F3F) <> (StartControlWord and $1F3F)) or ((Mx and not DWord($3F)) <> (StartMxcsr and not DWord($3F))) then
  begin
    if FloatChanges = '' then
      FloatChanges := Step + ': control word $' + IntToHex(Cw, 4) + ', MXCSR $' + IntToHex(Mx, 4);
    Set8087CW(StartControlWord);
    SetMXCSR(StartMxcsr);
  end;
end;

// ------------------------------------------------------------ the service

type
  TSent = record
    Icon: NativeInt;
    Status, XStatus: WideString;
    StatusNil, XStatusNil: Boolean;
    Sender: NativeInt;
  end;

  TService = class(TObject, IUnknown, IHOXPluginService)
  private
    FRefCount: Integer;
  public
    Module: NativeUInt;
    // The user's current extended status.
    Icon: Integer;
    Status, XStatus: WideString;
    Sent: array of TSent;
    Queries: Integer;
    StoreRequests: Integer;
    WrongStoreHandle: Integer;
    ForeignThreadCalls: Integer;
    FirstForeign: WideString;
    UnknownCodes: Integer;
    function QueryInterface({$IFDEF FPC_HAS_CONSTREF}constref{$ELSE}const{$ENDIF} IID: TGUID; out Obj): HResult; stdcall;
    function _AddRef: Integer; stdcall;
    function _Release: Integer; stdcall;
    function GetPluginStore(ModuleHandle: NativeUInt): PPluginStore; stdcall;
    procedure SendPluginMessage(Msg: PHostMessageRec); stdcall;
    procedure OnThread(const Call: WideString);
    property RefCount: Integer read FRefCount;
  end;

var
  // The messenger's store of this plug-in. A global: the runtime finalizes
  // its WideString when the program ends, after the DLL has gone.
  Store: TPluginStore;

procedure TService.OnThread(const Call: WideString);
begin
  if GetCurrentThreadId <> HostThread then
  begin
    Inc(ForeignThreadCalls);
    if FirstForeign = '' then
      FirstForeign := Call;
  end;
end;

function TService.QueryInterface({$IFDEF FPC_HAS_CONSTREF}constref{$ELSE}const{$ENDIF} IID: TGUID; out Obj): HResult; stdcall;
begin
  OnThread('QueryInterface');
  if GetInterface(IID, Obj) then
    Result := S_OK
  else
    Result := E_NOINTERFACE;
end;

function TService._AddRef: Integer; stdcall;
begin
  OnThread('AddRef');
  Result := InterlockedIncrement(FRefCount);
end;

function TService._Release: Integer; stdcall;
begin
  OnThread('Release');
  Result := InterlockedDecrement(FRefCount);
  if Result = 0 then
    Destroy;
end;

function TService.GetPluginStore(ModuleHandle: NativeUInt): PPluginStore; stdcall;
begin
  OnThread('GetPluginStore');
  Inc(StoreRequests);
  if ModuleHandle <> Module then
    Inc(WrongStoreHandle);
  Result := @Store;
end;

procedure TService.SendPluginMessage(Msg: PHostMessageRec); stdcall;
var
  S: TSent;
begin
  OnThread('SendPluginMessage');
  if Msg = nil then
    Exit;
  case Msg^.Code of
    PM_QUERY_STATUS:
      begin
        Inc(Queries);
        Msg^.ParamA := Icon;
        Msg^.ParamB := NativeInt(PWideChar(Status));
        Msg^.ParamC := NativeInt(PWideChar(XStatus));
      end;
    PM_SET_STATUS_TEXT:
      begin
        S.Icon := Msg^.ParamA;
        S.StatusNil := Msg^.ParamB = 0;
        S.XStatusNil := Msg^.ParamC = 0;
        S.Status := WideString(PWideChar(Msg^.ParamB));
        S.XStatus := WideString(PWideChar(Msg^.ParamC));
        S.Sender := Msg^.Sender;
        SetLength(Sent, Length(Sent) + 1);
        Sent[High(Sent)] := S;
        Icon := S.Icon;
        Status := S.Status;
        XStatus := S.XStatus;
      end;
  else
    Inc(UnknownCodes);
  end;
end;

// What the host's variable held before the plug-in was created into it.
type
  TEarlierPlugin = class(TInterfacedObject, IHostedPlugin)
    function GetInfoRecord: PPluginInfoRec; stdcall;
    procedure ReceiveHostMessage(Msg: PHostMessageRec); stdcall;
    destructor Destroy; override;
  end;

var
  EarlierReleased: Boolean = False;

function TEarlierPlugin.GetInfoRecord: PPluginInfoRec; stdcall;
begin
  Result := nil;
end;

procedure TEarlierPlugin.ReceiveHostMessage(Msg: PHostMessageRec); stdcall;
begin
end;

destructor TEarlierPlugin.Destroy;
begin
  EarlierReleased := True;
  inherited;
end;

// ------------------------------------------------------- the user's hands

function WindowText(Wnd: HWND): WideString;
var
  Buffer: array[0..1023] of WideChar;
  R: DWORD_PTR;
begin
  Buffer[0] := #0;
  SendMessageTimeoutW(Wnd, WM_GETTEXT, Length(Buffer), LPARAM(@Buffer), SMTO_NORMAL, 5000, @R);
  Result := PWideChar(@Buffer);
end;

function ClassOf(Wnd: HWND): WideString;
var
  Buffer: array[0..63] of WideChar;
begin
  Buffer[0] := #0;
  GetClassNameW(Wnd, Buffer, Length(Buffer));
  Result := PWideChar(@Buffer);
end;

var
  FoundDialog: HWND;

function FindDialogProc(Wnd: HWND; Param: LPARAM): BOOL; stdcall;
var
  Process: DWORD;
begin
  Result := True;
  Process := 0;
  GetWindowThreadProcessId(Wnd, @Process);
  if (Process = GetCurrentProcessId) and IsWindowVisible(Wnd) and (ClassOf(Wnd) = '#32770') then
  begin
    FoundDialog := Wnd;
    Result := False;
  end;
end;

function VisibleDialog: HWND;
begin
  FoundDialog := 0;
  EnumWindows(@FindDialogProc, 0);
  Result := FoundDialog;
end;

var
  SoughtText: WideString;
  SoughtPrefix: Boolean;
  FoundControl: HWND;

function FindControlProc(Wnd: HWND; Param: LPARAM): BOOL; stdcall;
var
  T: WideString;
begin
  Result := True;
  T := WindowText(Wnd);
  if (T = SoughtText) or (SoughtPrefix and (Copy(T, 1, Length(SoughtText)) = SoughtText)) then
  begin
    FoundControl := Wnd;
    Result := False;
  end;
end;

// The control that shows this text (or text beginning with it), as a user
// finds it.
function ControlShowing(Form: HWND; const Text: WideString; Prefix: Boolean = False): HWND;
begin
  SoughtText := Text;
  SoughtPrefix := Prefix;
  FoundControl := 0;
  EnumChildWindows(Form, @FindControlProc, 0);
  Result := FoundControl;
end;

procedure Click(Wnd: HWND);
var
  R: DWORD_PTR;
begin
  if Wnd <> 0 then
    SendMessageTimeoutW(Wnd, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, @R);
end;

type
  TShowing = (shSaveEnglish, shCancelGerman);

  // What the user saw and did while the window showed; the main thread
  // checks it afterwards.
  TUserReport = record
    Shown: Boolean;
    Caption: WideString;
    ClientWidth, ClientHeight: Integer;
    Report: WideString;
    ModeFound, OkText, CancelText: WideString;
    ModeClicked, Closed: Boolean;
    ButtonModule: WideString;
  end;

var
  Showing: TShowing;
  User: TUserReport;

const
  UpdateWaiting = 'Getting information about new version.';
  UpdateAvailable = 'Update available.';
  FullModeText = 'Full mode (change Status, xStatus and Icon)';
  IconModeGerman = 'Symbolmodus (ändert Status und xStatus passend zum Symbol)';

function UserThread(Param: Pointer): PtrInt;
var
  Form, Mode, Report: HWND;
  Ends: QWord;
  Client: TRect;
  ClassModule: HMODULE;
  ModuleName: array[0..MAX_PATH] of WideChar;
begin
  Result := 0;
  Form := 0;
  // Outer guard only: under emulation the window takes many seconds.
  Ends := GetTickCount64 + 60000;
  while (Form = 0) and (GetTickCount64 < Ends) do
  begin
    Form := VisibleDialog;
    if Form = 0 then
      Sleep(20);
  end;
  if Form = 0 then
    Exit;
  User.Shown := True;
  User.Caption := WindowText(Form);
  GetClientRect(Form, Client);
  User.ClientWidth := Client.Right - Client.Left;
  User.ClientHeight := Client.Bottom - Client.Top;
  User.OkText := WindowText(GetDlgItem(Form, IDOK));
  User.CancelText := WindowText(GetDlgItem(Form, IDCANCEL));
  // Without comctl32 6 the buttons' class is user32's own (measured in Wine:
  // user32.dll without the manifest, this program with it).
  ClassModule := HMODULE(GetClassLongPtrW(GetDlgItem(Form, IDOK), GCLP_HMODULE));
  ModuleName[0] := #0;
  GetModuleFileNameW(ClassModule, ModuleName, Length(ModuleName));
  User.ButtonModule := PWideChar(@ModuleName);
  case Showing of
    shSaveEnglish:
      begin
        // The update check's report replaces the waiting text.
        Report := 0;
        while (Report = 0) and (GetTickCount64 < Ends) do
        begin
          Report := ControlShowing(Form, UpdateAvailable, True);
          if Report = 0 then
            Report := ControlShowing(Form, 'Cannot connect', True);
          if Report = 0 then
            Report := ControlShowing(Form, 'No updates', True);
          if Report = 0 then
            Sleep(20);
        end;
        if Report <> 0 then
          User.Report := WindowText(Report);
        Mode := ControlShowing(Form, FullModeText);
        User.ModeFound := WindowText(Mode);
        User.ModeClicked := Mode <> 0;
        Click(Mode);
        Click(GetDlgItem(Form, IDOK));
      end;
    shCancelGerman:
      begin
        Mode := ControlShowing(Form, IconModeGerman);
        User.ModeFound := WindowText(Mode);
        User.ModeClicked := Mode <> 0;
        Click(Mode);
        Click(GetDlgItem(Form, IDCANCEL));
      end;
  end;
  Ends := GetTickCount64 + 5000;
  while IsWindow(Form) and IsWindowVisible(Form) and (GetTickCount64 < Ends) do
    Sleep(10);
  User.Closed := not (IsWindow(Form) and IsWindowVisible(Form));
  if not User.Closed then
    PostMessageW(Form, WM_CLOSE, 0, 0);
end;

// ----------------------------------------------------------------- a life

var
  Service: IHOXPluginService;
  Host: TService;
  PluginPath: WideString;
  Version: WideString;

procedure WriteUtf8File(const Path: WideString; const Lines: array of WideString);
var
  Text: UTF8String;
  F: THandle;
  Written: DWORD;
  I: Integer;
begin
  Text := #$EF#$BB#$BF;
  for I := Low(Lines) to High(Lines) do
    Text := Text + UTF8Encode(Lines[I]) + #13#10;
  F := CreateFileW(PWideChar(Path), GENERIC_WRITE, 0, nil, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
  Check(F <> INVALID_HANDLE_VALUE, 'the host writes ' + Path);
  WriteFile(F, PAnsiChar(Text)^, Length(Text), Written, nil);
  CloseHandle(F);
end;

function FolderOf(const Path: WideString): WideString;
var
  I: Integer;
begin
  I := Length(Path);
  while (I > 0) and (Path[I] <> '\') and (Path[I] <> '/') do
    Dec(I);
  Result := Copy(Path, 1, I);
end;

procedure Send(const Plugin: IHostedPlugin; Code: Integer; A: NativeInt = 0; B: NativeInt = 0; C: NativeInt = 0);
var
  Msg: THostMessageRec;
begin
  FillChar(Msg, SizeOf(Msg), 0);
  Msg.Code := Code;
  Msg.ParamA := A;
  Msg.ParamB := B;
  Msg.ParamC := C;
  Plugin.ReceiveHostMessage(@Msg);
end;

// Runs the host's own message loop until the plug-in has sent Count more
// status changes; false when the outer guard ran out first.
function LoopUntilSent(Count: Integer; out Ticks: Integer): Boolean;
const
  GuardId = 77;
var
  Msg: TMsg;
  Target: Integer;
  Guard: UINT_PTR;
begin
  Ticks := 0;
  Target := Length(Host.Sent) + Count;
  Guard := SetTimer(0, GuardId, 20000, nil);
  Result := False;
  while GetMessageW(Msg, 0, 0, 0) do
  begin
    if (Msg.message = WM_TIMER) and (Msg.hwnd = 0) and (Msg.wParam = Guard) then
      Break;
    if Msg.message = WM_TIMER then
      Inc(Ticks);
    TranslateMessage(Msg);
    DispatchMessageW(Msg);
    if Length(Host.Sent) >= Target then
    begin
      Result := True;
      Break;
    end;
  end;
  KillTimer(0, Guard);
end;

// Pumps for the time given, counting what the plug-in sends meanwhile.
function SentWhilePumping(Milliseconds: DWORD): Integer;
var
  Msg: TMsg;
  Before: Integer;
  Ends: QWord;
begin
  Before := Length(Host.Sent);
  Ends := GetTickCount64 + Milliseconds;
  while GetTickCount64 < Ends do
  begin
    while PeekMessageW(Msg, 0, 0, 0, PM_REMOVE) do
    begin
      TranslateMessage(Msg);
      DispatchMessageW(Msg);
    end;
    MsgWaitForMultipleObjects(0, nil, False, 20, QS_ALLINPUT);
  end;
  Result := Length(Host.Sent) - Before;
end;

// Each change comes as a pair, icon 0 first, then the icon, with the same
// texts; every text is a WideString the host could read, from the plug-in.
function PairsFrom(First: Integer; out Problem: WideString): Boolean;
var
  I: Integer;
begin
  Problem := '';
  I := First;
  while I + 1 <= High(Host.Sent) do
  begin
    if Host.Sent[I].Icon <> 0 then
      Problem := 'change ' + IntToStr(I) + ' has icon ' + IntToStr(Host.Sent[I].Icon) + ', not 0 first'
    else if (Host.Sent[I].Status <> Host.Sent[I + 1].Status) or (Host.Sent[I].XStatus <> Host.Sent[I + 1].XStatus) then
      Problem := 'change ' + IntToStr(I) + ' and the next differ in their texts'
    else if Host.Sent[I].StatusNil or Host.Sent[I].XStatusNil then
      Problem := 'change ' + IntToStr(I) + ' has a nil text'
    else if Host.Sent[I].Sender <> NativeInt(Host.Module) then
      Problem := 'change ' + IntToStr(I) + ' names sender $' + IntToHex(Host.Sent[I].Sender, 8);
    if Problem <> '' then
      Break;
    Inc(I, 2);
  end;
  if (Problem = '') and (I <= High(Host.Sent)) then
    Problem := 'an odd number of changes';
  Result := Problem = '';
end;

function InList(const S: WideString): Boolean;
var
  I: Integer;
begin
  Result := False;
  for I := Low(ListLines) to High(ListLines) do
    if Expanded(ListLines[I]) = S then
      Result := True;
end;

// Whether a statuses.txt entry gives this change, of this icon unless -1.
function IsEntry(const S: TSent; OfIcon: Integer): Boolean;
var
  I: Integer;
begin
  Result := False;
  for I := Low(StatusEntries) to High(StatusEntries) do
    if Expanded(StatusEntries[I]) = WideString(IntToStr(S.Icon)) + '|' + S.Status + '|' + S.XStatus then
      Result := (OfIcon = -1) or (S.Icon = OfIcon);
end;

function Describe(const S: TSent): WideString;
begin
  Result := 'icon ' + WideString(IntToStr(S.Icon)) + ' ' + Shown(S.Status) + ' ' + Shown(S.XStatus);
end;

function ShowOptions(const Plugin: IHostedPlugin; Which: TShowing): Boolean;
var
  Thread: TThreadID;
  Started: QWord;
begin
  Showing := Which;
  User := Default(TUserReport);
  Thread := BeginThread(@UserThread, nil);
  Started := GetTickCount64;
  Send(Plugin, HM_SHOW_OPTIONS);
  Say(WideString(Format('      message 6 returned after %d ms', [GetTickCount64 - Started])));
  WaitForThreadTerminate(Thread, 90000);
  CloseThread(Thread);
  Result := User.Shown;
end;

function Near(Value, Expected: Integer): Boolean;
begin
  Result := Abs(Value - Expected) <= 2;
end;

function Scaled(Pixels: Integer): Integer;
begin
  Result := (Pixels * Dpi + ReferenceDpi div 2) div ReferenceDpi;
end;

procedure Life(Module: HMODULE);
var
  Create: TCreateVostekPlugin;
  Plugin: IHostedPlugin;
  Same: IUnknown;
  Info: PPluginInfoRec;
  Language: WideString;
  Title, Text: WideString;
  First, Ticks, I, Icon: Integer;
  OldSelection: Pointer;
  Problem, Bad: WideString;
  Path: array[0..MAX_PATH] of WideChar;
  GotAll: Boolean;
begin
  Create := TCreateVostekPlugin(GetProcAddress(Module, CreatePluginExport));
  Check(Assigned(Create), 'the DLL exports ' + CreatePluginExport);
  if not Assigned(Create) then
    Exit;

  Plugin := TEarlierPlugin.Create;
  Create(Plugin, Service);
  AfterStep(CreatePluginExport);
  Check(Plugin <> nil, 'the plug-in is created into the host''s variable');
  if Plugin = nil then
    Exit;
  Check(EarlierReleased, 'the interface the variable held before is released');

  Check((Plugin.QueryInterface(IUnknown, Same) = S_OK) and (Pointer(Same) = Pointer(Plugin)),
    'QueryInterface answers with the plug-in itself');
  Same := nil;
  AfterStep('QueryInterface, Release');

  Info := Plugin.GetInfoRecord;
  AfterStep('GetInfoRecord');
  Check(Info <> nil, 'the plug-in has an information record');
  if Info = nil then
    Exit;
  Info^.ModuleHandle := Module;
  Send(Plugin, HM_LOADED);
  AfterStep('HM_LOADED');
  GetModuleFileNameW(Module, Path, Length(Path));
  Check(WideString(Info^.ModulePath) = WideString(PWideChar(@Path)), 'the record names the DLL''s own path',
    Shown(WideString(Info^.ModulePath)));
  Check((Info^.ApiVersionMajor = 1) and (Info^.ApiVersionMinor = 4), 'the record gives interface version 1.4',
    WideString(Format('%d.%d', [Info^.ApiVersionMajor, Info^.ApiVersionMinor])));
  Check(WideString(Format('%d.%d.', [Info^.PluginVersionMajor, Info^.PluginVersionMinor])) =
    Copy(Version, 1, Length(WideString(Format('%d.%d.', [Info^.PluginVersionMajor, Info^.PluginVersionMinor])))),
    'the record gives the plug-in''s version ' + Version,
    WideString(Format('%d.%d', [Info^.PluginVersionMajor, Info^.PluginVersionMinor])));
  Check((Info^.PluginName <> nil) and (WideString(Info^.PluginName) = PluginName), 'the record names the plug-in',
    Shown(WideString(Info^.PluginName)));
  Check((Info^.PluginAuthor <> nil) and (WideString(Info^.PluginAuthor) <> ''), 'the record names its author');

  Language := 'English';
  Send(Plugin, HM_LANGUAGE, NativeInt(PWideChar(Language)));
  AfterStep('HM_LANGUAGE English');

  // A fresh store: the plug-in writes its first-use defaults.
  Send(Plugin, HM_START);
  AfterStep('HM_START');
  Check((Store.Initialized = 1) and (Store.Flag0 = 0) and (Store.Flag2 = 0) and (Store.FreqValue = 120) and
    (Store.FreqUnit = 0) and (Store.WorkMode = 0),
    'the first start writes the defaults into the store',
    WideString(Format('initialized %d, flags %d %d, interval %d unit %d, mode %d',
      [Store.Initialized, Store.Flag0, Store.Flag2, Store.FreqValue, Store.FreqUnit, Store.WorkMode])));
  Check(Pointer(Store.StatusSelection) = nil, 'the first start frees the host''s selection and leaves none',
    Shown(Store.StatusSelection));

  // The messenger's own page changes the store: every second, two icons.
  Store.FreqValue := 1;
  Store.StatusSelection := Selection;
  Send(Plugin, HM_STOP);
  Send(Plugin, HM_RESUME);
  AfterStep('HM_STOP, HM_RESUME');

  // The user sets a status; the plug-in answers at once, in xStatus mode.
  Host.Icon := 5;
  Host.Status := 'Title';
  Host.XStatus := 'Current';
  Title := Host.Status;
  Text := Host.XStatus;
  First := Length(Host.Sent);
  Send(Plugin, HM_STATUS_INFO, 5, NativeInt(PWideChar(Title)), NativeInt(PWideChar(Text)));
  AfterStep('HM_STATUS_INFO');
  Check(Length(Host.Sent) - First = 2, 'the status the user sets is rotated at once',
    IntToStr(Length(Host.Sent) - First) + ' changes');

  GotAll := LoopUntilSent(4, Ticks);
  AfterStep('timer ticks, xStatus mode');
  Check(GotAll and (Ticks >= 2), 'timer ticks through the host''s loop change the status (xStatus mode)',
    IntToStr(Ticks) + ' ticks, ' + IntToStr(Length(Host.Sent) - First) + ' changes');
  Check(PairsFrom(First, Problem), 'xStatus mode: each change comes as a pair, icon 0 first', Problem);
  Bad := '';
  for I := First to High(Host.Sent) do
    if ((Host.Sent[I].Icon <> 0) and (Host.Sent[I].Icon <> 5)) or (Host.Sent[I].Status <> 'Title') or
      not InList(Host.Sent[I].XStatus) then
      Bad := Describe(Host.Sent[I]);
  Check((Bad = '') and (Length(Host.Sent) > First), 'xStatus mode: icon and title kept, text from list.txt', Bad);
  Check(Host.Queries >= 2, 'the ticks ask for the current status', IntToStr(Host.Queries) + ' queries');

  // The options window in English: the update report, then full mode saved.
  OldSelection := Pointer(Store.StatusSelection);
  Check(ShowOptions(Plugin, shSaveEnglish), 'message 6 shows the options window');
  AfterStep('HM_SHOW_OPTIONS, Save');
  Check(User.Caption = 'Brisklet : Options', 'the window''s caption', Shown(User.Caption));
  Check((User.ButtonModule <> '') and (Pos('\user32.dll', LowerCase(UTF8Encode(User.ButtonModule))) = 0),
    'the window''s buttons are comctl32 6''s, not user32''s',
    Shown(User.ButtonModule));
  Check(Near(User.ClientWidth, Scaled(OptionsClientWidth)) and Near(User.ClientHeight, Scaled(OptionsClientHeight)),
    WideString(Format('the window is scaled to %d DPI (%dx%d)', [Dpi, Scaled(OptionsClientWidth), Scaled(OptionsClientHeight)])),
    WideString(Format('%dx%d', [User.ClientWidth, User.ClientHeight])));
  Check(User.Report = 'Update available. Installed version: ' + Version + ' latest available version: ' +
    LatestVersion + ' .', 'the update check reports the server''s version', Shown(User.Report));
  Check(User.ModeClicked and User.Closed, 'the user clicks full mode and Save, and the window closes');
  Check(Store.WorkMode = 1, 'Save writes full mode into the store', IntToStr(Store.WorkMode));
  Check((Pointer(Store.StatusSelection) <> nil) and (Pointer(Store.StatusSelection) <> OldSelection) and
    (Store.StatusSelection = Selection), 'Save frees the host''s selection and puts a copy in its place',
    Shown(Store.StatusSelection));
  Check((Store.FreqValue = 1) and (Store.FreqUnit = 0) and (Store.Initialized = 1), 'Save keeps the interval',
    IntToStr(Store.FreqValue));

  First := Length(Host.Sent);
  GotAll := LoopUntilSent(4, Ticks);
  AfterStep('timer ticks, full mode');
  Check(GotAll, 'timer ticks change the status in full mode', IntToStr(Length(Host.Sent) - First) + ' changes');
  Check(PairsFrom(First, Problem), 'full mode: each change comes as a pair, icon 0 first', Problem);
  Bad := '';
  I := First + 1;
  while I <= High(Host.Sent) do
  begin
    if not IsEntry(Host.Sent[I], -1) then
      Bad := Describe(Host.Sent[I]);
    Inc(I, 2);
  end;
  Check((Bad = '') and (Length(Host.Sent) > First), 'full mode: icon, title and text from statuses.txt', Bad);

  // Another language, with its dictionary; the user changes the mode and cancels.
  Language := 'German';
  Send(Plugin, HM_LANGUAGE, NativeInt(PWideChar(Language)));
  AfterStep('HM_LANGUAGE German');
  OldSelection := Pointer(Store.StatusSelection);
  Check(ShowOptions(Plugin, shCancelGerman), 'message 6 shows the window again');
  AfterStep('HM_SHOW_OPTIONS, Cancel');
  Check(User.Caption = 'Brisklet : Optionen', 'in German: the caption from the dictionary', Shown(User.Caption));
  Check((User.OkText = 'Speichern') and (User.CancelText = 'Abbrechen'), 'in German: the buttons from the dictionary',
    Shown(User.OkText) + ' ' + Shown(User.CancelText));
  Check(User.ModeClicked and User.Closed, 'the user clicks icon mode and Cancel, and the window closes',
    Shown(User.ModeFound));
  Check((Store.WorkMode = 1) and (Pointer(Store.StatusSelection) = OldSelection), 'Cancel leaves the store as it was',
    IntToStr(Store.WorkMode));

  // The messenger's page sets icon mode.
  Store.WorkMode := 2;
  Send(Plugin, HM_STOP);
  Send(Plugin, HM_RESUME);
  AfterStep('HM_STOP, HM_RESUME');
  First := Length(Host.Sent);
  Icon := Host.Icon;
  GotAll := LoopUntilSent(4, Ticks);
  AfterStep('timer ticks, icon mode');
  Check(GotAll, 'timer ticks change the status in icon mode', IntToStr(Length(Host.Sent) - First) + ' changes');
  Check(PairsFrom(First, Problem), 'icon mode: each change comes as a pair, icon 0 first', Problem);
  Bad := '';
  I := First + 1;
  while I <= High(Host.Sent) do
  begin
    if not IsEntry(Host.Sent[I], Icon) then
      Bad := Describe(Host.Sent[I]);
    Inc(I, 2);
  end;
  Check((Bad = '') and (Length(Host.Sent) > First),
    'icon mode: title and text from statuses.txt for the icon ' + WideString(IntToStr(Icon)), Bad);

  Send(Plugin, HM_STOP);
  AfterStep('HM_STOP');
  I := SentWhilePumping(2500);
  Check(I = 0, 'after message 3 the ticks stop', IntToStr(I) + ' changes');
  Send(Plugin, HM_FINISH);
  AfterStep('HM_FINISH');
  Check(Host.RefCount > 1, 'the plug-in holds the host''s service while it lives', IntToStr(Host.RefCount));
  // Plugin goes out of scope here: the compiler releases it.
end;

// ------------------------------------------------------------------ main

var
  Module: HMODULE;
  Guard: array[0..SizeOf(TPluginStore) - 1] of Byte;
  Env: array[0..15] of WideChar;
  I: Integer;
  Changed: WideString;
  Folder: WideString;
  Bytes: PByte;
  Screen: HDC;
  Given: WideString;
  FilePart: PWideChar;

// Whether the program's own manifest resource holds this text.
function ManifestSays(const Text: AnsiString): Boolean;
var
  Found: HRSRC;
  Data: HGLOBAL;
  Manifest: AnsiString;
begin
  Result := False;
  Found := FindResourceW(0, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if Found = 0 then
    Exit;
  Data := LoadResource(0, Found);
  SetString(Manifest, PAnsiChar(LockResource(Data)), SizeofResource(0, Found));
  Result := Pos(Text, Manifest) > 0;
end;

// The bytes of the store that the plug-in does not own.
function OwnedByPlugin(Offset: Integer): Boolean;
begin
  Result := (Offset in [0, 2, 9]) or ((Offset >= 12) and (Offset < 20)) or ((Offset >= 24) and (Offset < 28)) or
    ((Offset >= 64) and (Offset < 68));
end;

begin
  StartControlWord := Get8087CW;
  HostThread := GetCurrentThreadId;
  StartMxcsr := GetMXCSR;
  if ParamCount <> 2 then
  begin
    Say('usage: pascal_host.exe PLUGIN_DLL VERSION');
    Halt(2);
  end;
  // The full path, as the messenger names its plug-ins.
  Given := UTF8Decode(ParamStr(1));
  SetLength(PluginPath, MAX_PATH);
  SetLength(PluginPath, GetFullPathNameW(PWideChar(Given), MAX_PATH, PWideChar(PluginPath), FilePart));
  Version := UTF8Decode(ParamStr(2));
  if GetEnvironmentVariableW('BRISKLET_TEST_DPI', Env, Length(Env)) > 0 then
    Dpi := StrToIntDef(UTF8Encode(WideString(PWideChar(@Env))), ReferenceDpi);
  Say('the Object Pascal host: ' + PluginPath + ' at ' + WideString(IntToStr(Dpi)) + ' DPI');

  Check(StartControlWord = ExpectedControlWord, 'the runtime starts with control word $1332', '$' + IntToHex(StartControlWord, 4));
  Say('      MXCSR at start: $' + IntToHex(StartMxcsr, 4));
  Check((SizeOf(THostMessageRec) = 24) and (NativeInt(@PHostMessageRec(nil)^.Sender) = 20),
    'the message record: 24 bytes, sender at 20');
  Check((SizeOf(TPluginInfoRec) = 24) and (NativeInt(@PPluginInfoRec(nil)^.PluginAuthor) = 20),
    'the information record: 24 bytes, author at 20');
  Check((NativeInt(@PPluginStore(nil)^.Initialized) = 9) and (NativeInt(@PPluginStore(nil)^.FreqValue) = 12) and
    (NativeInt(@PPluginStore(nil)^.WorkMode) = 24) and (NativeInt(@PPluginStore(nil)^.StatusSelection) = 64),
    'the store: initialized at 9, interval at 12, mode at 24, selection at 64');
  Check(ManifestSays('<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>') and
    ManifestSays('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'),
    'the program carries its manifest: DPI-aware, comctl32 6');
  Screen := GetDC(0);
  I := GetDeviceCaps(Screen, LOGPIXELSX);
  ReleaseDC(0, Screen);
  Check(I = Dpi, 'the screen is at the DPI asked for', IntToStr(I));

  Folder := FolderOf(PluginPath);
  WriteUtf8File(Folder + 'list.txt', ListLines);
  WriteUtf8File(Folder + 'statuses.txt', StatusEntries);

  // A store that has never seen the plug-in, with the messenger's bytes
  // around the plug-in's fields and a selection left from elsewhere.
  Bytes := @Store;
  for I := 0 to SizeOf(Store) - 1 do
    if not ((I >= 64) and (I < 68)) then
      Bytes[I] := Byte($A5 xor I);
  Store.Initialized := 0;
  Store.StatusSelection := 'left over';
  Move(Store, Guard, SizeOf(Guard));

  Host := TService.Create;
  Service := Host;
  Check(GetModuleHandleW(PWideChar(PluginPath)) = 0, 'the DLL is not loaded before');
  Module := LoadLibraryW(PWideChar(PluginPath));
  AfterStep('LoadLibrary');
  Check(Module <> 0, 'LoadLibrary loads the plug-in', IntToStr(GetLastError));
  if Module <> 0 then
  begin
    Host.Module := Module;
    Life(Module);
    AfterStep('Release');
    Check(Host.RefCount = 1, 'the plug-in gave back the host''s service', IntToStr(Host.RefCount) + ' references');
    Check(GetModuleHandleW(PWideChar(PluginPath)) <> 0, 'the DLL stays loaded until the host frees it');
    FreeLibrary(Module);
    AfterStep('FreeLibrary');
    Check(GetModuleHandleW(PWideChar(PluginPath)) = 0, 'after FreeLibrary the DLL is gone');
  end;

  Changed := '';
  for I := 0 to SizeOf(Store) - 1 do
    if not OwnedByPlugin(I) and (PByte(@Store)[I] <> Guard[I]) and (Changed = '') then
      Changed := 'byte ' + WideString(IntToStr(I));
  Check(Changed = '', 'the store is intact apart from the plug-in''s fields', Changed);
  Check(Host.StoreRequests > 0, 'the plug-in asked for its store', IntToStr(Host.StoreRequests));
  Check(Host.WrongStoreHandle = 0, 'the plug-in asked for its store by its own module handle',
    IntToStr(Host.WrongStoreHandle) + ' wrong');
  Check(Host.ForeignThreadCalls = 0, 'every call of the plug-in into the host came on the host''s thread',
    IntToStr(Host.ForeignThreadCalls) + ' calls, first ' + Host.FirstForeign);
  Check(Host.UnknownCodes = 0, 'the plug-in sent only messages 10 and 11', IntToStr(Host.UnknownCodes));
  Check(FloatChanges = '', 'the control word and MXCSR stayed as the host had them', FloatChanges);

  Service := nil;
  Say(WideString(Format('pascal host: %d checks, %d failed (%d DPI)', [Checks, Failed, Dpi])));
  // The store's WideString is finalized by the runtime after this.
  if Failed > 0 then
    ExitCode := 1;
end.
