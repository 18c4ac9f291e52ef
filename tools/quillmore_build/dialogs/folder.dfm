object PoolTemplate: TPoolTemplate
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 497
    Height = 58
    BevelOuter = bvNone
    Color = clWindow
    TabOrder = 99
    object BannerTitle: TLabel
      Left = 20
      Top = 12
      Width = 440
      Height = 14
      Caption = 'Destination Folder'
      Font.Name = 'Tahoma'
      Font.Height = -11
      Font.Style = [fsBold]
      ParentFont = False
    end
    object BannerText: TLabel
      Left = 32
      Top = 30
      Width = 440
      Height = 24
      Caption = 'Choose the folder in which to install $TITLE$.'
      WordWrap = True
    end
  end
  object BannerLine: TBevel
    Left = 0
    Top = 58
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object FolderIntro: TLabel
    Left = 24
    Top = 76
    Width = 449
    Height = 28
    AutoSize = False
    Caption = 'Setup installs $TITLE$ in the folder below. To install it in another folder, type its path or click Browse.'
    WordWrap = True
  end
  object FolderGroup: TGroupBox
    Left = 24
    Top = 112
    Width = 449
    Height = 64
    Caption = 'Destination folder'
    TabOrder = 0
    object Folder: TEdit
      Hint = 'TARGETDIR'
      Tag = 2
      Left = 12
      Top = 24
      Width = 332
      Height = 21
      TabOrder = 0
    end
    object Browse: TButton
      Tag = 4
      Left = 356
      Top = 22
      Width = 81
      Height = 25
      Caption = 'B&rowse...'
      TabOrder = 1
    end
  end
  object RequiredLabel: TLabel
    Left = 24
    Top = 196
    Width = 120
    Height = 13
    Caption = 'Space required:'
  end
  object Required: TStaticText
    Tag = 4
    Left = 150
    Top = 196
    Width = 200
    Height = 17
    AutoSize = False
  end
  object FreeLabel: TLabel
    Left = 24
    Top = 216
    Width = 120
    Height = 13
    Caption = 'Space available:'
  end
  object Free: TStaticText
    Tag = 5
    Left = 150
    Top = 216
    Width = 200
    Height = 17
    AutoSize = False
  end
  object ButtonLine: TBevel
    Left = 0
    Top = 312
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object Back: TButton
    Tag = 2
    Left = 248
    Top = 324
    Width = 75
    Height = 25
    Caption = '< &Back'
    Enabled = True
    TabOrder = 90
  end
  object Next: TButton
    Tag = 1
    Left = 323
    Top = 324
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    Enabled = True
    TabOrder = 91
  end
  object Cancel: TButton
    Tag = 3
    Left = 410
    Top = 324
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Cancel = True
    Enabled = True
    TabOrder = 92
  end
end
