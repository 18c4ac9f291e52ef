object Form1: TPoolTemplate
  Caption = 'open
end
