inherited Licence: TPoolTemplate [0]
  Ratio = 1.25E-2
  Scale = 12.5s
  Mask = $00FF
  Offset = -$10
  Text = #1040#1041#$42'ab''c'#13#10
  object ListBox1: TListBox
    Hint = 'CHOICE'
    Items.Strings = (
      'First'
      'Second'
      3
      ( 'nested' ))
  end
  object Image1: TImage
    Picture.Data = {
      07544269746D6170360100000000000036000000280000000400000004000000
      0100180000000000}
  end
  object ListView1: TListView
    Columns = <
      item
        Caption = 'Name'
        Width = 120
      end
      item [2]
        AutoSize = True
      end>
  end
  inline Frame1: TFrame1
  end
end
