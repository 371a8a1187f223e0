// The plug-in interface as the messenger's own declaration unit has it:
// interfaces with compiler-managed references, records laid out as the
// plug-ins read them, texts as PWideChar of WideStrings.
unit uVostekPlugins;

{$mode delphi}
{$interfaces com}

interface

const
  // From the messenger to a plug-in.
  HM_LOADED = 1;
  HM_START = 2;
  HM_STOP = 3;
  HM_RESUME = 4;
  HM_FINISH = 5;
  HM_SHOW_OPTIONS = 6;
  HM_STATUS_INFO = 12;
  HM_LANGUAGE = 28;
  // From a plug-in to the messenger.
  PM_SET_STATUS_TEXT = 10;
  PM_QUERY_STATUS = 11;

type
  PHostMessageRec = ^THostMessageRec;
  THostMessageRec = record
    Code: Integer;
    ParamA: NativeInt;  // icon, or the language's name
    ParamB: NativeInt;  // status title (PWideChar)
    ParamC: NativeInt;  // extended status text (PWideChar)
    Reserved: NativeInt;
    Sender: NativeInt;  // the plug-in's module handle
  end;

  PPluginInfoRec = ^TPluginInfoRec;
  TPluginInfoRec = record
    ModuleHandle: NativeUInt;  // written by the messenger
    ModulePath: PWideChar;
    ApiVersionMajor: Word;
    ApiVersionMinor: Word;
    PluginVersionMajor: Word;
    PluginVersionMinor: Word;
    PluginName: PWideChar;
    PluginAuthor: PWideChar;
  end;

  // The messenger's settings of one plug-in. The plug-in owns the named
  // fields up to StatusSelection; the rest is the messenger's.
  PPluginStore = ^TPluginStore;
  TPluginStore = record
    Flag0: Byte;
    Reserved1: Byte;
    Flag2: Byte;
    Reserved3: array[0..5] of Byte;
    Initialized: Byte;
    Reserved10: array[0..1] of Byte;
    FreqValue: Integer;
    FreqUnit: Integer;
    Reserved20: array[0..3] of Byte;
    WorkMode: Integer;
    Reserved28: array[0..35] of Byte;
    StatusSelection: WideString;
    // The messenger's own fields of the store.
    ShowInMenu: LongBool;
    HotKey: Word;
    Order: Integer;
    Reserved80: array[0..15] of Byte;
  end;

  IHOXPluginService = interface(IUnknown)
    function GetPluginStore(ModuleHandle: NativeUInt): PPluginStore; stdcall;
    procedure SendPluginMessage(Msg: PHostMessageRec); stdcall;
  end;

  IHostedPlugin = interface(IUnknown)
    function GetInfoRecord: PPluginInfoRec; stdcall;
    procedure ReceiveHostMessage(Msg: PHostMessageRec); stdcall;
  end;

  // The plug-in's export: it stores its interface into Plugin, releasing
  // what the variable held.
  TCreateVostekPlugin = procedure(var Plugin: IHostedPlugin; const Service: IHOXPluginService); stdcall;

const
  CreatePluginExport = 'CreateVostekPLUGIN';

implementation

end.
