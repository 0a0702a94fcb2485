wizard.mode=express
